// Mount-point bytes built from any two names read back as those names, and reading any bytes
// stays inside them.

#include <cstdlib>

#include "base/text.h"
#include "fuzz_input.h"
#include "junction/reparse_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)junction::parseMountPointData(std::span(data, size));
  (void)junction::reparseTag(std::span(data, size));

  const auto pieces = mirafold::fuzz::piecesOf(mirafold::fuzz::textOf(data, size), 2);
  const junction::MountPoint names{pieces[0], pieces[1]};
  const auto bytes = junction::buildMountPointData(names);
  if (!bytes) {
    // Refused only when the names cannot fit the system's limit, counted in UTF-16 units as
    // stored (a character beyond the BMP takes two, whatever the width of wchar_t).
    const std::size_t units = mirafold::base::toUtf16(names.substituteName).size() +
                              mirafold::base::toUtf16(names.printName).size();
    if ((units + 2) * 2 + junction::kReparseHeaderSize + junction::kMountPointFieldsSize <=
        junction::kMaximumReparseDataSize) {
      std::abort();
    }
    return 0;
  }
  if (bytes->size() > junction::kMaximumReparseDataSize) std::abort();
  if (junction::reparseTag(*bytes) != junction::kMountPointTag) std::abort();
  const auto back = junction::parseMountPointData(*bytes);
  if (!back || back->substituteName != names.substituteName || back->printName != names.printName) {
    std::abort();
  }
  return 0;
}

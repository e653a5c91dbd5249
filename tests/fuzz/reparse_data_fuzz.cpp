// Mount-point bytes built from any two names read back as those names, and reading any bytes
// (as reparse data, or as the one reading of an entry) stays inside them.

#include <cstdlib>

#include "base/entry_reading.h"
#include "base/reparse_data.h"
#include "base/text.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)mirafold::base::parseMountPointData(std::span(data, size));
  (void)mirafold::base::reparseTag(std::span(data, size));
  // The one reading of an entry takes whatever bytes a reparse point holds, as a folder or a file.
  for (const std::uint32_t attributes : {0x410u, 0x420u}) {
    (void)mirafold::base::readingOf(attributes, std::span(data, size), false);
  }

  const auto pieces = mirafold::fuzz::piecesOf(mirafold::fuzz::textOf(data, size), 2);
  const mirafold::base::MountPoint names{pieces[0], pieces[1]};
  const auto bytes = mirafold::base::buildMountPointData(names);
  if (!bytes) {
    // Refused only when the names cannot fit the system's limit, counted in UTF-16 units as
    // stored (a character beyond the BMP takes two, whatever the width of wchar_t).
    const std::size_t units = mirafold::base::toUtf16(names.substituteName).size() +
                              mirafold::base::toUtf16(names.printName).size();
    if ((units + 2) * 2 + mirafold::base::kReparseHeaderSize +
            mirafold::base::kMountPointFieldsSize <=
        mirafold::base::kMaximumReparseDataSize) {
      std::abort();
    }
    return 0;
  }
  if (bytes->size() > mirafold::base::kMaximumReparseDataSize) std::abort();
  if (mirafold::base::reparseTag(*bytes) != mirafold::base::kMountPointTag) std::abort();
  const auto back = mirafold::base::parseMountPointData(*bytes);
  if (!back || back->substituteName != names.substituteName || back->printName != names.printName) {
    std::abort();
  }
  return 0;
}

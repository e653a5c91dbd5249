#include "junction/reparse_entry.h"

#include <string_view>

#include "junction/paths.h"
#include "junction/reparse_data.h"
#include "junction/text.h"

namespace junction {
namespace {

constexpr std::wstring_view kNtPrefix = L"\\??\\";
constexpr std::wstring_view kVolume = L"Volume{";

bool isVolumeName(std::wstring_view name) {
  if (name.substr(0, kNtPrefix.size()) != kNtPrefix) return false;
  name.remove_prefix(kNtPrefix.size());
  if (!equalsIgnoringAsciiCase(name.substr(0, kVolume.size()), kVolume)) return false;
  const std::size_t close = name.find(L'}');
  return close != std::wstring_view::npos &&
         (close + 1 == name.size() || (close + 2 == name.size() && name.back() == L'\\'));
}

}  // namespace

Entry entryFromReparseData(std::span<const std::uint8_t> bytes) {
  const auto names = parseMountPointData(bytes);
  if (!names) return Entry{EntryKind::OtherLink, {}, {}, 0, {}};
  const std::wstring& substitute = names->substituteName;
  if (isVolumeName(substitute)) {
    // The Win32 name of the volume: "\\?\Volume{...}\".
    return Entry{
        EntryKind::VolumeMountPoint, L"\\\\?\\" + substitute.substr(kNtPrefix.size()), {}, 0, {}};
  }
  const std::wstring followed = pathFromSubstituteName(substitute);
  if (substitute.substr(0, kNtPrefix.size()) != kNtPrefix || !isDrivePath(followed)) {
    return Entry{EntryKind::OtherLink, {}, {}, 0, {}};
  }
  // The print name is only what other tools show; it counts only where it says something else.
  const std::wstring printName =
      names->printName.empty() || names->printName == followed ? std::wstring() : names->printName;
  return Entry{EntryKind::Junction, followed, printName, 0, {}};
}

}  // namespace junction

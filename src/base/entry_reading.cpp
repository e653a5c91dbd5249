#include "base/entry_reading.h"

#include <string_view>

#include "base/reparse_data.h"

namespace mirafold::base {
namespace {

constexpr std::uint32_t kNameSurrogate = 0x20000000;  // IsReparseTagNameSurrogate
constexpr std::uint32_t kCloudTag = 0x9000001A;       // CLOUD_1..F set bits 12 to 15
constexpr std::uint32_t kCloudTagMask = 0xFFFF0FFF;
constexpr std::wstring_view kNtPrefix = L"\\??\\";

bool isFolder(std::uint32_t attributes) { return attributes & kAttributeFolder; }

bool isLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool equalsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  const auto lower = [](wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
  };
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// "\??\Volume{...}" with at most a trailing backslash: the whole of a volume.
bool isVolumeName(std::wstring_view name) {
  if (!name.starts_with(kNtPrefix)) return false;
  name.remove_prefix(kNtPrefix.size());
  constexpr std::wstring_view kVolume = L"Volume{";
  if (!equalsNoCase(name.substr(0, kVolume.size()), kVolume)) return false;
  const std::size_t close = name.find(L'}');
  return close != std::wstring_view::npos &&
         (close + 1 == name.size() || (close + 2 == name.size() && name.back() == L'\\'));
}

// "\??\C:\..."; a junction to anything else (a share, a device) leads nowhere the system follows
// for a folder of this machine.
bool isDriveFolderName(std::wstring_view name) {
  return name.size() >= kNtPrefix.size() + 3 && name.starts_with(kNtPrefix) && isLetter(name[4]) &&
         name[5] == L':' && name[6] == L'\\';
}

bool isCloud(std::uint32_t attributes, std::uint32_t tag) {
  return (attributes & (kAttributeRecallOnOpen | kAttributeRecallOnDataAccess)) ||
         ((attributes & kAttributeReparsePoint) && (tag & kCloudTagMask) == kCloudTag);
}

EntryReading mountPointReading(std::uint32_t attributes, std::span<const std::uint8_t> data) {
  const auto names = parseMountPointData(data);
  if (!isFolder(attributes) || !names) return {EntryKind::OtherNameSurrogate, attributes};
  if (isVolumeName(names->substituteName)) {
    // The Win32 name of the volume: "\\?\Volume{...}\".
    return {EntryKind::VolumeMountPoint, attributes,
            L"\\\\?\\" + names->substituteName.substr(kNtPrefix.size()), names->printName};
  }
  if (!isDriveFolderName(names->substituteName)) return {EntryKind::OtherNameSurrogate, attributes};
  return {EntryKind::Junction, attributes, pathFromSubstituteName(names->substituteName),
          names->printName};
}

EntryReading symbolicLinkReading(std::uint32_t attributes, std::span<const std::uint8_t> data) {
  const auto link = parseSymbolicLinkData(data);
  if (!link) return {EntryKind::OtherNameSurrogate, attributes};
  const EntryKind kind =
      isFolder(attributes) ? EntryKind::FolderSymbolicLink : EntryKind::FileSymbolicLink;
  return {kind, attributes,
          link->relative ? link->substituteName : pathFromSubstituteName(link->substituteName),
          link->printName, link->relative};
}

}  // namespace

EntryKind listedKind(std::uint32_t attributes, std::uint32_t tag, bool underWine) {
  const EntryKind plain = isFolder(attributes) ? EntryKind::Folder : EntryKind::File;
  if (isCloud(attributes, tag)) return EntryKind::CloudPlaceholder;
  // The tag means something only with the reparse-point attribute.
  if (!(attributes & kAttributeReparsePoint)) return plain;
  if (tag == 0) return underWine && isFolder(attributes) ? EntryKind::HostLink : plain;
  if (tag == kMountPointTag) {
    return isFolder(attributes) ? EntryKind::Junction : EntryKind::OtherNameSurrogate;
  }
  if (tag == kSymbolicLinkTag) {
    return isFolder(attributes) ? EntryKind::FolderSymbolicLink : EntryKind::FileSymbolicLink;
  }
  // Other reparse points that are no name surrogate (deduplicated files, ...) hold their own
  // contents: ordinary files and folders.
  return (tag & kNameSurrogate) ? EntryKind::OtherNameSurrogate : plain;
}

EntryReading readingOf(std::uint32_t attributes, std::span<const std::uint8_t> reparseData,
                       bool underWine) {
  const std::uint32_t tag =
      (attributes & kAttributeReparsePoint) ? reparseTag(reparseData).value_or(0) : 0;
  const EntryKind listed = listedKind(attributes, tag, underWine);
  switch (listed) {
    case EntryKind::Junction:
      return mountPointReading(attributes, reparseData);
    case EntryKind::FolderSymbolicLink:
    case EntryKind::FileSymbolicLink:
      return symbolicLinkReading(attributes, reparseData);
    default:
      return {listed, attributes};
  }
}

bool isLink(EntryKind kind) {
  switch (kind) {
    case EntryKind::Junction:
    case EntryKind::VolumeMountPoint:
    case EntryKind::FolderSymbolicLink:
    case EntryKind::FileSymbolicLink:
    case EntryKind::OtherNameSurrogate:
    case EntryKind::HostLink:
      return true;
    default:
      return false;
  }
}

}  // namespace mirafold::base

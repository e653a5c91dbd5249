// The one reading of what an entry on disk is, and what the move, the folder lists and the
// junction tool make of it: one row a combination of attributes, tag and bytes that matters.

#include "base/entry_reading.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/reparse_data.h"
#include "junction/entry_of.h"
#include "platform/entry_reading.h"

namespace mirafold {
namespace {

using Bytes = std::vector<std::uint8_t>;
using base::EntryKind;
using Move = platform::EntryKind;
using Tool = junction::EntryKind;

constexpr std::uint32_t kFolder = base::kAttributeFolder;
constexpr std::uint32_t kFile = 0x20;  // FILE_ATTRIBUTE_ARCHIVE
constexpr std::uint32_t kReparse = base::kAttributeReparsePoint;

Bytes mountPoint(const std::wstring& substitute, const std::wstring& print) {
  return *base::buildMountPointData({substitute, print});
}

// A symbolic link's bytes: a mount point's, with its flags after the four name fields.
Bytes symbolicLink(const std::wstring& substitute, const std::wstring& print, bool relative) {
  Bytes bytes = mountPoint(substitute, print);
  bytes[0] = 0x0C;  // IO_REPARSE_TAG_SYMLINK
  bytes[4] = static_cast<std::uint8_t>(bytes[4] + 4);
  bytes.insert(bytes.begin() + 16, {static_cast<std::uint8_t>(relative ? 1 : 0), 0, 0, 0});
  return bytes;
}

// Reparse data of another kind: its tag and no data.
Bytes tagOnly(std::uint32_t tag) {
  return {static_cast<std::uint8_t>(tag),
          static_cast<std::uint8_t>(tag >> 8),
          static_cast<std::uint8_t>(tag >> 16),
          static_cast<std::uint8_t>(tag >> 24),
          0,
          0,
          0,
          0};
}

TEST(EntryReading, TheMoveTheListsAndTheToolAgreeOnEveryKind) {
  const std::wstring volume = L"Volume{2a3c5e7f-0000-4000-8000-00000000abcd}";
  Bytes truncated = mountPoint(L"\\??\\C:\\data", L"C:\\data");
  truncated.resize(20);
  const struct {
    const char* name;
    std::uint32_t attributes;
    Bytes bytes;
    bool underWine;
    EntryKind kind;
    std::wstring target;  // the path the system follows
    Move move;
    Tool tool;
    std::wstring toolPrintName = {};  // shown after the target, only when it says something else
  } rows[] = {
      {"plain folder", kFolder, {}, false, EntryKind::Folder, L"", Move::Folder, Tool::Folder},
      {"plain file", kFile, {}, false, EntryKind::File, L"", Move::File, Tool::File},
      {"junction", kFolder | kReparse, mountPoint(L"\\??\\C:\\data", L"C:\\data"), false,
       EntryKind::Junction, L"C:\\data", Move::Link, Tool::Junction},
      {"junction without a print name", kFolder | kReparse, mountPoint(L"\\??\\D:\\x", L""), false,
       EntryKind::Junction, L"D:\\x", Move::Link, Tool::Junction},
      {"junction to a drive root", kFolder | kReparse, mountPoint(L"\\??\\C:\\", L"C:\\"), false,
       EntryKind::Junction, L"C:\\", Move::Link, Tool::Junction},
      {"junction whose print name hides where it leads", kFolder | kReparse,
       mountPoint(L"\\??\\C:\\Windows", L"C:\\Harmless"), false, EntryKind::Junction,
       L"C:\\Windows", Move::Link, Tool::Junction, L"C:\\Harmless"},
      {"volume mount point", kFolder | kReparse, mountPoint(L"\\??\\" + volume + L"\\", L""), false,
       EntryKind::VolumeMountPoint, L"\\\\?\\" + volume + L"\\", Move::Link,
       Tool::VolumeMountPoint},
      {"volume mount point, lower case, no backslash", kFolder | kReparse,
       mountPoint(L"\\??\\volume{1}", L"C:\\mnt"), false, EntryKind::VolumeMountPoint,
       L"\\\\?\\volume{1}", Move::Link, Tool::VolumeMountPoint},
      {"mount point to a share", kFolder | kReparse,
       mountPoint(L"\\??\\UNC\\server\\share", L"\\\\server\\share"), false,
       EntryKind::OtherNameSurrogate, L"", Move::Link, Tool::OtherLink},
      {"mount point without the NT prefix", kFolder | kReparse,
       mountPoint(L"C:\\data", L"C:\\data"), false, EntryKind::OtherNameSurrogate, L"", Move::Link,
       Tool::OtherLink},
      {"mount point to a device path", kFolder | kReparse,
       mountPoint(L"\\Device\\HarddiskVolume2\\data", L"C:\\data"), false,
       EntryKind::OtherNameSurrogate, L"", Move::Link, Tool::OtherLink},
      {"mount point to a bare drive", kFolder | kReparse, mountPoint(L"\\??\\C:", L"C:"), false,
       EntryKind::OtherNameSurrogate, L"", Move::Link, Tool::OtherLink},
      {"mount point to a path inside a volume name", kFolder | kReparse,
       mountPoint(L"\\??\\Volume{x}\\more", L""), false, EntryKind::OtherNameSurrogate, L"",
       Move::Link, Tool::OtherLink},
      {"mount point bytes that do not read", kFolder | kReparse, truncated, false,
       EntryKind::OtherNameSurrogate, L"", Move::Link, Tool::OtherLink},
      {"mount point on a file", kFile | kReparse, mountPoint(L"\\??\\C:\\data", L"C:\\data"), false,
       EntryKind::OtherNameSurrogate, L"", Move::File, Tool::OtherLink},
      {"folder symbolic link: the substitute name, not the print name", kFolder | kReparse,
       symbolicLink(L"\\??\\C:\\t", L"C:\\elsewhere", false), false, EntryKind::FolderSymbolicLink,
       L"C:\\t", Move::Link, Tool::OtherLink},
      {"relative folder symbolic link, as stored", kFolder | kReparse,
       symbolicLink(L"..\\a", L"..\\a", true), false, EntryKind::FolderSymbolicLink, L"..\\a",
       Move::Link, Tool::OtherLink},
      {"file symbolic link, copied as a link by the copy", kFile | kReparse,
       symbolicLink(L"\\??\\C:\\f.txt", L"C:\\f.txt", false), false, EntryKind::FileSymbolicLink,
       L"C:\\f.txt", Move::File, Tool::OtherLink},
      {"another vendor's name surrogate", kFolder | kReparse, tagOnly(0xA0001234), false,
       EntryKind::OtherNameSurrogate, L"", Move::Link, Tool::OtherLink},
      {"Wine's host link",
       kFolder | kReparse,
       {},
       true,
       EntryKind::HostLink,
       L"",
       Move::Link,
       Tool::HostLink},
      {"no tag outside Wine",
       kFolder | kReparse,
       {},
       false,
       EntryKind::Folder,
       L"",
       Move::Folder,
       Tool::Folder},
      {"no tag on a file under Wine",
       kFile | kReparse,
       {},
       true,
       EntryKind::File,
       L"",
       Move::File,
       Tool::File},
      {"a tag without the reparse attribute", kFolder, mountPoint(L"\\??\\C:\\x", L""), false,
       EntryKind::Folder, L"", Move::Folder, Tool::Folder},
      {"deduplicated file (no surrogate)", kFile | kReparse, tagOnly(0x80000013), false,
       EntryKind::File, L"", Move::File, Tool::File},
      {"cloud folder: never entered", kFolder | kReparse, tagOnly(0x9000001A), false,
       EntryKind::CloudPlaceholder, L"", Move::Folder, Tool::OtherLink},
      {"OneDrive file (CLOUD_3)", kFile | kReparse, tagOnly(0x9000301A), false,
       EntryKind::CloudPlaceholder, L"", Move::File, Tool::File},
      {"CLOUD_F", kReparse, tagOnly(0x9000F01A), false, EntryKind::CloudPlaceholder, L"",
       Move::File, Tool::File},
      {"recalled on reading",
       base::kAttributeRecallOnDataAccess,
       {},
       false,
       EntryKind::CloudPlaceholder,
       L"",
       Move::File,
       Tool::File},
      {"recalled on open",
       kFolder | base::kAttributeRecallOnOpen,
       {},
       false,
       EntryKind::CloudPlaceholder,
       L"",
       Move::Folder,
       Tool::OtherLink},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const base::EntryReading reading = base::readingOf(row.attributes, row.bytes, row.underWine);
    EXPECT_EQ(reading.kind, row.kind);
    EXPECT_EQ(reading.target, row.target);
    EXPECT_EQ(platform::moveKindOf(reading.kind, row.attributes), row.move);
    const junction::Entry entry = junction::entryOf(reading);
    EXPECT_EQ(entry.kind, row.tool);
    EXPECT_EQ(entry.printName, row.toolPrintName);
    // The folder lists and the move decide from a listing, which has the tag but not the bytes.
    const std::uint32_t tag =
        (row.attributes & kReparse) && row.bytes.size() >= 4 ? *base::reparseTag(row.bytes) : 0;
    const EntryKind listed = base::listedKind(row.attributes, tag, row.underWine);
    EXPECT_EQ(base::isLink(listed), base::isLink(row.kind));
    EXPECT_EQ(platform::moveKindOf(listed, row.attributes), row.move);
  }
}

TEST(EntryReading, KeepsASymbolicLinksOwnTextForItsCopy) {
  EXPECT_TRUE(
      base::readingOf(kFolder | kReparse, symbolicLink(L"..\\a", L"x", true), false).relative);
  EXPECT_FALSE(base::readingOf(kFolder | kReparse, symbolicLink(L"\\??\\C:\\a", L"", false), false)
                   .relative);
}

}  // namespace
}  // namespace mirafold

#include "platform/entry_reading.h"

#include <gtest/gtest.h>

namespace mirafold::platform {
namespace {

constexpr std::uint32_t kFolder = kAttributeFolder;
constexpr std::uint32_t kReparse = kAttributeReparsePoint;

TEST(EntryReading, NameSurrogatesAreLinksAndCloudFilesAreKnown) {
  const struct {
    const char* name;
    std::uint32_t attributes, tag;
    bool underWine;
    EntryKind kind;
    bool cloud;
  } rows[] = {
      {"plain folder", kFolder, 0, false, EntryKind::Folder, false},
      {"plain file", 0x20, 0, false, EntryKind::File, false},
      {"junction", kFolder | kReparse, kTagMountPoint, false, EntryKind::Link, false},
      {"folder symbolic link", kFolder | kReparse, kTagSymbolicLink, false, EntryKind::Link, false},
      {"another vendor's name surrogate", kFolder | kReparse, 0xA0001234, false, EntryKind::Link,
       false},
      {"Wine's host link", kFolder | kReparse, 0, true, EntryKind::Link, false},
      {"no tag outside Wine", kFolder | kReparse, 0, false, EntryKind::Folder, false},
      {"a tag without the reparse attribute", kFolder, kTagMountPoint, false, EntryKind::Folder,
       false},
      {"deduplicated file (no surrogate)", kReparse, 0x80000013, false, EntryKind::File, false},
      {"file symbolic link, copied as a link by the copy", kReparse, kTagSymbolicLink, false,
       EntryKind::File, false},
      {"cloud folder", kFolder | kReparse, 0x9000001A, false, EntryKind::Folder, true},
      {"OneDrive file (CLOUD_3)", kReparse, 0x9000301A, false, EntryKind::File, true},
      {"CLOUD_F", kReparse, 0x9000F01A, false, EntryKind::File, true},
      {"a cloud tag's bits without the attribute", 0, 0x9000001A, false, EntryKind::File, false},
      {"recalled on reading", kAttributeRecallOnDataAccess, 0, false, EntryKind::File, true},
      {"recalled on open", kFolder | kAttributeRecallOnOpen, 0, false, EntryKind::Folder, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(entryKindOf(row.attributes, row.tag, row.underWine), row.kind);
    EXPECT_EQ(isCloudPlaceholder(row.attributes, row.tag), row.cloud);
  }
}

}  // namespace
}  // namespace mirafold::platform

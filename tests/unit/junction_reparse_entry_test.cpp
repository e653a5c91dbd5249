#include <gtest/gtest.h>

#include <string>

#include "junction/reparse_data.h"
#include "junction/reparse_entry.h"

namespace junction {
namespace {

struct Reading {
  const wchar_t* substitute;
  const wchar_t* print;
  EntryKind kind;
  std::wstring target;     // what is shown: the path the system follows, or the volume
  std::wstring printName;  // shown after it, only when it says something else
};

class MountPointReading : public testing::TestWithParam<Reading> {};

TEST_P(MountPointReading, TellsJunctionsFromVolumesAndShowsTheFollowedPath) {
  const Reading& r = GetParam();
  const auto bytes = buildMountPointData({r.substitute, r.print});
  ASSERT_TRUE(bytes);
  const Entry entry = entryFromReparseData(*bytes);
  EXPECT_EQ(entry.kind, r.kind) << r.substitute;
  EXPECT_EQ(entry.target, r.target) << r.substitute;
  EXPECT_EQ(entry.printName, r.printName) << r.substitute;
}

INSTANTIATE_TEST_SUITE_P(
    EverySubstituteName, MountPointReading,
    testing::Values(
        Reading{L"\\??\\C:\\data", L"C:\\data", EntryKind::Junction, L"C:\\data", L""},
        Reading{L"\\??\\D:\\x", L"", EntryKind::Junction, L"D:\\x", L""},
        Reading{L"\\??\\C:\\", L"C:\\", EntryKind::Junction, L"C:\\", L""},
        // A print name that hides where the junction leads is shown, but never in its place.
        Reading{L"\\??\\C:\\Windows", L"C:\\Harmless", EntryKind::Junction, L"C:\\Windows",
                L"C:\\Harmless"},
        Reading{L"\\??\\Volume{2a3c5e7f-0000-4000-8000-00000000abcd}\\", L"",
                EntryKind::VolumeMountPoint,
                L"\\\\?\\Volume{2a3c5e7f-0000-4000-8000-00000000abcd}\\", L""},
        Reading{L"\\??\\volume{2a3c5e7f-0000-4000-8000-00000000abcd}", L"C:\\mnt",
                EntryKind::VolumeMountPoint, L"\\\\?\\volume{2a3c5e7f-0000-4000-8000-00000000abcd}",
                L""},
        // Whatever is neither a folder on a drive nor a volume is no junction.
        Reading{L"\\??\\UNC\\server\\share", L"\\\\server\\share", EntryKind::OtherLink, L"", L""},
        Reading{L"C:\\data", L"C:\\data", EntryKind::OtherLink, L"", L""},
        Reading{L"\\Device\\HarddiskVolume2\\data", L"C:\\data", EntryKind::OtherLink, L"", L""},
        Reading{L"\\??\\C:", L"C:", EntryKind::OtherLink, L"", L""},
        Reading{L"\\??\\Volume{x}\\more", L"", EntryKind::OtherLink, L"", L""}));

TEST(MountPointReading, OtherReparseDataIsALinkOfAnotherKind) {
  auto bytes = *buildMountPointData({L"\\??\\C:\\data", L"C:\\data"});
  bytes[0] = 0x0C;  // IO_REPARSE_TAG_SYMLINK
  EXPECT_EQ(entryFromReparseData(bytes).kind, EntryKind::OtherLink);
  EXPECT_EQ(entryFromReparseData({}).kind, EntryKind::OtherLink);
}

}  // namespace
}  // namespace junction

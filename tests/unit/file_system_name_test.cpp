#include "volume/file_system_name.h"

#include <gtest/gtest.h>

#include "fakes/fake_nt_volume.h"

namespace mirafold::volume {
namespace {

using fakes::FakeNtVolume;
using fakes::FakeVolume;

TEST(GetFileSystemNameTest, OpensTheRootFolderWithNoMoreThanAStandardUserMayAsk) {
  FakeNtVolume nt;
  const FileSystemName result = GetFileSystemName(nt, L"c:\\");
  EXPECT_EQ(result.name, L"NTFS");
  EXPECT_EQ(result.status, 0);

  ASSERT_EQ(nt.opens.size(), 1u);
  const auto& open = nt.opens[0];
  // The root folder, not the volume: opening a volume for its data needs administrator rights.
  EXPECT_EQ(open.ntPath, L"\\??\\c:\\");
  // FILE_READ_ATTRIBUTES | SYNCHRONIZE: no read of data, extended attributes or execution.
  EXPECT_EQ(open.desiredAccess, 0x00100080u);
  EXPECT_EQ(open.objectAttributes, 0x40u);
  EXPECT_EQ(open.allocationSize, 0u);
  EXPECT_EQ(open.fileAttributes, 0u);
  EXPECT_EQ(open.shareAccess, 7u) << "others may go on reading, writing and deleting";
  EXPECT_EQ(open.createDisposition, 1u) << "FILE_OPEN: the query never creates anything";
  EXPECT_EQ(open.createOptions, 0x20u);
  EXPECT_EQ(nt.offeredLengths, std::vector<std::uint32_t>{80});
  EXPECT_EQ(nt.informationClasses, std::vector<int>{5});
  EXPECT_EQ(nt.lastBufferSize, 81u);
  EXPECT_EQ(nt.closed.size(), 1u);
}

TEST(GetFileSystemNameTest, NamesDriveAndNetworkRootsInTheNativeForm) {
  FakeNtVolume nt;
  GetFileSystemName(nt, L"D:\\");
  GetFileSystemName(nt, L"\\\\server\\share\\");
  EXPECT_EQ(nt.opens[0].ntPath, L"\\??\\D:\\");
  EXPECT_EQ(nt.opens[1].ntPath, L"\\??\\UNC\\server\\share\\");
}

TEST(VolumeRootOfTest, FindsTheVolumeOfAPath) {
  struct Row {
    const wchar_t* path;
    const wchar_t* root;
  };
  const Row rows[] = {
      {L"D:\\Links\\Saves", L"D:\\"},
      {L"d:\\", L"d:\\"},
      {L"e:", L"e:\\"},
      {L"\\\\?\\F:\\very\\long", L"F:\\"},
      {L"\\\\server\\share\\games\\x", L"\\\\server\\share\\"},
      {L"\\\\server\\share", L"\\\\server\\share\\"},
      {L"\\\\?\\UNC\\server\\share\\x", L"\\\\server\\share\\"},
      {L"\\\\server", L""},
      {L"\\\\server\\", L""},
      {L"\\\\.\\pipe\\x", L""},
      {L"relative\\path", L""},
      {L"", L""},
      {L"1:\\x", L""},
  };
  for (const Row& row : rows) EXPECT_EQ(volumeRootOf(row.path), row.root) << row.path;
}

TEST(GetFileSystemNameTest, ReturnsTheNameAsTheVolumeReportsIt) {
  struct Row {
    std::u16string name;
    std::wstring expected;
  };
  const Row rows[] = {
      {u"FAT32", L"FAT32"},
      {u"ntfs", L"ntfs"},  // case kept
      {u"文件系统", L"文件系统"},
      {std::u16string(34, u'N'), std::wstring(34, L'N')},  // the longest that fits
  };
  for (const Row& row : rows) {
    FakeNtVolume nt;
    nt.setName(L"f:", row.name);
    const FileSystemName result = GetFileSystemName(nt, L"f:\\");
    EXPECT_EQ(result.name, row.expected);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(nt.closed.size(), 1u);
  }
}

TEST(GetFileSystemNameTest, EveryFailureGivesTheEmptyNameAndClosesWhatWasOpened) {
  struct Row {
    const char* what;
    FakeVolume volume;
    platform::NtStatus status;
    std::size_t closes;
  };
  const Row rows[] = {
      {"open fails", {.openStatus = fakes::kDeviceNotReady}, fakes::kDeviceNotReady, 0},
      {"query fails", {.queryStatus = fakes::kDeviceNotReady}, fakes::kDeviceNotReady, 1},
      {"zero length", {.record = fakes::attributeRecord(u"")}, 0, 1},
      {"name too long for the buffer",
       {.record = fakes::attributeRecord(std::u16string(35, u'N'))},
       fakes::kBufferOverflow,
       1},
      {"length field larger than the buffer",
       {.record = fakes::attributeRecord(u"NTFS", 200)},
       0,
       1},
  };
  for (const Row& row : rows) {
    FakeNtVolume nt;
    nt.setVolume(L"g:", row.volume);
    const FileSystemName result = GetFileSystemName(nt, L"g:\\");
    EXPECT_EQ(result.name, L"") << row.what;
    EXPECT_EQ(result.status, row.status) << row.what;
    EXPECT_EQ(nt.closed.size(), row.closes) << row.what;
  }
}

TEST(GetFileSystemNameTest, ADriveThatDoesNotExistIsNeverClosed) {
  FakeNtVolume nt;
  const FileSystemName result = GetFileSystemName(nt, L"q:\\");
  EXPECT_EQ(result.name, L"");
  EXPECT_EQ(result.status, fakes::kNameNotFound);
  EXPECT_TRUE(nt.closed.empty());
}

}  // namespace
}  // namespace mirafold::volume

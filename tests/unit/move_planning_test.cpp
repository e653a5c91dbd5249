#include <gtest/gtest.h>

#include "fakes/fake_move_file_system.h"
#include "move/move_planning.h"
#include "platform/entry_reading.h"

namespace mirafold::move {
namespace {

using fakes::FakeMoveFileSystem;

const MoveSurroundings kNtfs{{L"C:\\Windows"}, L"NTFS"};

class MovePlanningTest : public testing::Test {
 protected:
  void SetUp() override {
    fs.addVolume(L'C');
    fs.addVolume(L'D', {false, 3000});
    fs.addVolume(L'N', {true, 1u << 30});
    fs.addFile(L"C:\\Games\\Game\\a.bin", std::wstring(1500, L'a'), platform::kAttributeHidden);
    fs.addFile(L"C:\\Games\\Game\\sub\\b.bin", std::wstring(1000, L'b'));
    fs.addLink(L"C:\\Games\\Game\\outside", L"C:\\Elsewhere");
    fs.addFile(L"C:\\Elsewhere\\big.bin", std::wstring(100000, L'x'));
    fs.addFolder(L"D:\\Store");
    fs.addFolder(L"N:\\Share");
    fs.addFolder(L"C:\\Store");
    fs.addFolder(L"C:\\Windows");
  }
  FakeMoveFileSystem fs;
};

TEST_F(MovePlanningTest, AwayToAnotherVolumeCountsFilesNotLinks) {
  const PlannedMove planned = planMoveAway(fs, L"C:\\Games\\Game\\", L"D:\\Store", kNtfs);
  ASSERT_FALSE(planned.refusal) << *planned.refusal;
  EXPECT_EQ(planned.plan.direction, Direction::Away);
  EXPECT_EQ(planned.plan.origin, L"C:\\Games\\Game");
  EXPECT_EQ(planned.plan.final, L"D:\\Store\\Game");
  EXPECT_FALSE(planned.plan.sameVolume);
  EXPECT_EQ(planned.summary.files, 2u);
  EXPECT_EQ(planned.summary.bytes, 2500u);
  EXPECT_EQ(confirmationText(planned),
            L"将把“C:\\Games\\Game”（2 个文件，2.4 KB）移动到“D:\\Store”，"
            L"并在原处创建指向它的链接。是否继续？");
}

TEST_F(MovePlanningTest, RefusalsFoundThroughTheFileSystem) {
  fs.addFolder(L"C:\\Store\\Game");
  fs.addLink(L"C:\\Games\\Linked", L"D:\\Store");
  fs.addFile(L"C:\\Games\\Huge\\h.bin", std::wstring(4000, L'h'));
  fs.addFile(L"C:\\Games\\Synced\\a\\here.txt", L"on this PC");
  fs.addFile(L"C:\\Games\\Synced\\b\\photo.jpg", L"", platform::kAttributeRecallOnDataAccess);
  fs.addFolder(L"C:\\Games\\Synced\\c", platform::kAttributeRecallOnOpen);
  fs.addVolume(L'X', {false, 1u << 30, L"exFAT"});
  fs.addFolder(L"X:\\Store");
  const struct {
    const wchar_t* source;
    const wchar_t* destination;
    const wchar_t* refusal;
  } rows[] = {
      {L"C:\\Games\\Linked", L"D:\\Store", L"该文件夹本身就是链接"},
      {L"C:\\Windows", L"D:\\Store",
       L"此文件夹属于 Windows 系统，移动后系统可能无法启动或更新：C:\\Windows"},
      {L"C:\\Games\\Game", L"C:\\Games\\Game\\sub", L"目标位置不可位于要移动的文件夹之内"},
      {L"C:\\Games\\Game", L"C:\\Store", L"右侧文件夹中已存在同名文件夹"},
      {L"C:\\Games\\Synced", L"D:\\Store",
       L"该文件夹包含尚未下载到本机的云文件：C:\\Games\\Synced\\b\\photo.jpg"},
      {L"C:\\Games\\Synced", L"C:\\Store",
       L"该文件夹包含尚未下载到本机的云文件：C:\\Games\\Synced\\b\\photo.jpg"},
      {L"C:\\Games\\Huge", L"D:\\Store", L"目标分区空间不足：需要 3.9 KB，可用 2.9 KB"},
      {L"C:\\Games\\Game", L"N:\\Share", L"链接目标不可位于网络位置"},
      // FAT and exFAT hold no reparse points (the file systems' comparison: no soft links).
      {L"C:\\Games\\Game", L"X:\\Store",
       L"目标分区（exFAT）不能存放文件夹中的链接：C:\\Games\\Game\\outside"},
      {L"C:\\Games\\Missing", L"D:\\Store", nullptr},  // any message, but a refusal
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.source, row.source + wcslen(row.source)));
    const PlannedMove planned = planMoveAway(fs, row.source, row.destination, kNtfs);
    ASSERT_TRUE(planned.refusal);
    if (row.refusal) {
      EXPECT_EQ(*planned.refusal, row.refusal);
    }
  }
  EXPECT_EQ(planMoveAway(fs, L"C:\\Games\\Game", L"D:\\Store", {{}, L"FAT32"}).refusal,
            L"链接创建失败！链接所在分区的文件系统类型必须为NTFS");
}

TEST_F(MovePlanningTest, ConfirmationSaysWhatACopyCannotKeep) {
  fs.addVolume(L'E', {false, 1u << 30, L"exFAT", 4096, 1, 0, false});
  fs.addFolder(L"E:\\Store");
  fs.giveNames(L"C:\\Games\\Game\\sub\\b.bin", 2);
  EXPECT_EQ(confirmationText(planMoveAway(fs, L"C:\\Games\\Game", L"E:\\Store", kNtfs)),
            L"将把“C:\\Games\\Game”（2 个文件，2.4 KB）移动到“E:\\Store”，"
            L"并在原处创建指向它的链接。是否继续？\n\n目标分区不支持文件权限\n\n"
            L"其中 1 个文件有多个名称（硬链接），移动后将各自成为独立的文件");
  // A rename keeps every name: they are neither counted nor told.
  fs.addFolder(L"C:\\Elsewhere\\Store");
  const PlannedMove renamed = planMoveAway(fs, L"C:\\Games\\Game", L"C:\\Elsewhere\\Store", kNtfs);
  EXPECT_EQ(renamed.summary.filesWithManyNames, 0u);
}

// A copy keeps a symbolic link only where the process may make one; a rename keeps it anyway.
TEST_F(MovePlanningTest, SymbolicLinksNeedTheRightToMakeThem) {
  fs.addLink(L"C:\\Games\\Game\\sub\\latest", L"..\\a.bin", platform::kTagSymbolicLink);
  EXPECT_FALSE(planMoveAway(fs, L"C:\\Games\\Game", L"D:\\Store", kNtfs).refusal);
  fs.mayNotMakeSymbolicLinks();
  EXPECT_EQ(
      planMoveAway(fs, L"C:\\Games\\Game", L"D:\\Store", kNtfs).refusal,
      L"文件夹中的符号链接需要管理员权限或开发人员模式才能复制：C:\\Games\\Game\\sub\\latest");
  EXPECT_FALSE(planMoveAway(fs, L"C:\\Games\\Game", L"C:\\Elsewhere", kNtfs).refusal);
}

// Every link of the tree, a file's as a folder's, is checked before anything is copied.
TEST_F(MovePlanningTest, AFileSymbolicLinkNeedsTheRightToMakeItToo) {
  fs.addFileLink(L"C:\\Games\\Game\\sub\\latest.bin", L"b.bin");
  fs.mayNotMakeSymbolicLinks();
  EXPECT_EQ(
      planMoveAway(fs, L"C:\\Games\\Game", L"D:\\Store", kNtfs).refusal,
      L"文件夹中的符号链接需要管理员权限或开发人员模式才能复制：C:\\Games\\Game\\sub\\latest.bin");
}

// What a destination cannot keep is named (FILE_NAMED_STREAMS, FILE_SUPPORTS_SPARSE_FILES and
// FILE_FILE_COMPRESSION missing from its flags); files are asked for streams only then. A relative
// link that leads out of the folder is told too: the copy makes it lead where it led.
TEST_F(MovePlanningTest, ConfirmationNamesWhatTheDestinationCannotKeep) {
  fs.addFile(L"C:\\Games\\Kit\\a.bin", L"aaaa");
  fs.addFile(L"C:\\Games\\Kit\\disk.vhdx", L"", platform::kAttributeSparse);
  fs.addFile(L"C:\\Games\\Kit\\sub\\packed.bin", L"", platform::kAttributeCompressed);
  fs.giveStreams(L"C:\\Games\\Kit\\a.bin");
  const std::wstring question =
      L"将把“C:\\Games\\Kit”（3 个文件，4 B）移动到“E:\\Store”，"
      L"并在原处创建指向它的链接。是否继续？";
  const std::wstring linkTold =
      L"\n\n其中 1 个相对符号链接指向文件夹之外，移动后将改为指向原来的位置"
      L"（例如：C:\\Games\\Kit\\sub\\up）";
  const struct {
    const char* name;
    FakeMoveFileSystem::Volume volume;
    bool links;  // exFAT holds none
    std::wstring told;
    long streamQueries;
  } rows[] = {
      {"NTFS keeps all", {}, true, question + linkTold, 0},
      {"exFAT keeps none of them",
       {false, 1u << 30, L"exFAT"},
       false,
       question + L"\n\n目标分区不支持文件权限" +
           L"\n\n目标分区不支持备用数据流，1 个文件的备用数据流将丢失"
           L"（例如：C:\\Games\\Kit\\a.bin）"
           L"\n\n目标分区不支持稀疏文件，1 个稀疏文件将占用其完整大小"
           L"\n\n目标分区不支持压缩，1 个压缩文件将占用其完整大小",
       3},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeMoveFileSystem disk = fs;
    disk.addVolume(L'E', row.volume);
    disk.addFolder(L"E:\\Store");
    if (row.links) {
      disk.addLink(L"C:\\Games\\Kit\\sub\\up", L"..\\..\\Other", platform::kTagSymbolicLink);
      disk.addFileLink(L"C:\\Games\\Kit\\sub\\near", L"..\\a.bin");
    }
    const PlannedMove planned = planMoveAway(disk, L"C:\\Games\\Kit", L"E:\\Store", kNtfs);
    ASSERT_FALSE(planned.refusal) << *planned.refusal;
    EXPECT_EQ(confirmationText(planned), row.told);
    EXPECT_EQ(disk.streamQueries(), row.streamQueries);
  }
}

// Without the restore privilege a copy belongs to the mover (SetNamedSecurityInfo: without
// SeRestorePrivilege the new owner must be in the caller's token): the entries another owns, the
// folder itself among them, are counted and told. A rename keeps them; the elevated helper too.
TEST_F(MovePlanningTest, OwnersACopyCannotKeepAreTold) {
  fs.giveOwner(L"C:\\Games\\Game", L"TrustedInstaller");
  fs.giveOwner(L"C:\\Games\\Game\\sub\\b.bin", L"SYSTEM");
  const std::wstring told =
      L"\n\n其中 2 项的所有者是其他用户或系统（例如：C:\\Games\\Game），"
      L"移动后其所有者将变为你；以管理员身份移动可保留原所有者";
  const struct {
    bool privileged;
    const wchar_t* destination;
    bool ownersTold;
  } rows[] = {
      {true, L"D:\\Store", false}, {false, L"D:\\Store", true}, {false, L"C:\\Store", false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.privileged ? "privileged to " : "unprivileged to ") +
                 char(row.destination[0]));
    FakeMoveFileSystem disk = fs;
    if (!row.privileged) disk.withoutRestorePrivilege();
    const std::wstring text =
        confirmationText(planMoveAway(disk, L"C:\\Games\\Game", row.destination, kNtfs));
    EXPECT_EQ(text.ends_with(told), row.ownersTold) << std::string(text.begin(), text.end());
  }
}

// A rename would take a relative link that leads out of the folder along, to lead elsewhere: the
// folder is copied instead, and the confirmation says so.
TEST_F(MovePlanningTest, WithinOneVolumeALinkThatLeadsOutMakesItACopy) {
  fs.addLink(L"C:\\Games\\Game\\sub\\inside", L"..\\a.bin", platform::kTagSymbolicLink);
  EXPECT_TRUE(planMoveAway(fs, L"C:\\Games\\Game", L"C:\\Store", kNtfs).plan.sameVolume);
  fs.addLink(L"C:\\Games\\Game\\sub\\up", L"..\\..\\Other", platform::kTagSymbolicLink);
  const PlannedMove planned = planMoveAway(fs, L"C:\\Games\\Game", L"C:\\Store", kNtfs);
  EXPECT_FALSE(planned.plan.sameVolume);
  EXPECT_EQ(planned.linksLeadingOut, 1u);
  EXPECT_EQ(planned.firstLinkLeadingOut, L"C:\\Games\\Game\\sub\\up");
}

// A volume mount point would stop a copy halfway: it is found first. A rename takes it along.
TEST_F(MovePlanningTest, AVolumeMountPointInsideStopsACopyBeforeItStarts) {
  fs.addLink(L"C:\\Games\\Game\\sub\\disk", L"\\\\?\\Volume{1}\\");
  EXPECT_EQ(planMoveAway(fs, L"C:\\Games\\Game", L"D:\\Store", kNtfs).refusal,
            L"移动失败：volume mount point: C:\\Games\\Game\\sub\\disk。未做任何更改");
  EXPECT_FALSE(planMoveAway(fs, L"C:\\Games\\Game", L"C:\\Elsewhere", kNtfs).refusal);
}

// 2,500 bytes in two files take two 4 KiB clusters each on a drive with 10,000 bytes free.
TEST_F(MovePlanningTest, SpaceCountedInTheDestinationsClusters) {
  fs.addVolume(L'E', {false, 10000, L"NTFS", 4096});
  fs.addFolder(L"E:\\Store");
  EXPECT_FALSE(planMoveAway(fs, L"C:\\Games\\Game", L"E:\\Store", kNtfs).refusal);
  fs.addFile(L"C:\\Games\\Game\\c.bin", L"c");
  EXPECT_EQ(planMoveAway(fs, L"C:\\Games\\Game", L"E:\\Store", kNtfs).refusal,
            L"目标分区空间不足：需要 12.0 KB，可用 9.8 KB");
}

TEST_F(MovePlanningTest, BackFollowsTheLinkToItsFolder) {
  fs.addFile(L"D:\\Store\\Tool\\t.exe", L"tool", 0);
  fs.addLink(L"C:\\Tools\\Tool", L"D:\\Store\\Tool");
  const PlannedMove planned = planMoveBack(fs, L"C:\\Tools\\Tool", kNtfs);
  ASSERT_FALSE(planned.refusal) << *planned.refusal;
  EXPECT_EQ(planned.plan.direction, Direction::Back);
  EXPECT_EQ(planned.plan.origin, L"D:\\Store\\Tool");
  EXPECT_EQ(planned.plan.final, L"C:\\Tools\\Tool");
  EXPECT_FALSE(planned.plan.sameVolume);
  EXPECT_EQ(planned.summary.files, 1u);
  EXPECT_TRUE(planMoveBack(fs, L"C:\\Games\\Game", kNtfs).refusal) << "not a link";
}

}  // namespace
}  // namespace mirafold::move

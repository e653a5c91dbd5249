// Why a move stopped, as the user reads it at the end: in Chinese, naming the path the user
// knows, with the folder whole where it was and nothing of the move left behind.

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "fakes/fake_move_file_system.h"
#include "fakes/stepping_clock.h"
#include "move/folder_mover.h"
#include "move/move_planning.h"
#include "move/move_tree.h"
#include "platform/clock.h"
#include "platform/entry_reading.h"

namespace mirafold::move {
namespace {

using fakes::FakeMoveFileSystem;

constexpr auto kOrigin = L"C:\\Games\\Game";

TEST(MoveReasons, EachStopNamesItsCauseInTheUsersWords) {
  const struct {
    const char* name;
    std::function<void(FakeMoveFileSystem&)> after_planning;
    std::wstring message;
    const wchar_t* wholeAt;  // where the folder is found afterwards
  } cases[] = {
      {"folder gone before the move",
       [](FakeMoveFileSystem& fs) { fs.rename(kOrigin, L"C:\\Games\\Renamed"); },
       L"移动失败：找不到：C:\\Games\\Game。未做任何更改", L"C:\\Games\\Renamed"},
      {"link reported made but missing", [](FakeMoveFileSystem& fs) { fs.makeNoLinks(); },
       L"移动失败：链接未指向：D:\\Store\\Game。未做任何更改", kOrigin},
      {"copy differs", [](FakeMoveFileSystem& fs) { fs.damageCopies(); },
       L"移动失败：复制的文件与原文件不一致：C:\\Games\\Game\\save.dat。"
       L"未做任何更改",
       kOrigin},
      // As under Wine: the folder is renamed to its hidden sibling, then the held file cannot be
      // copied; it is named where the user left it.
      {"file in use found by the copy",
       [](FakeMoveFileSystem& fs) {
         fs.holdOpen(L"C:\\Games\\Game\\sub\\level.bin", FakeMoveFileSystem::Held::AgainstCopy);
       },
       L"移动失败：文件正在使用：C:\\Games\\Game\\sub\\level.bin。未做任何更改", kOrigin},
      // Another program swaps the destination for a link to another folder after the question.
      {"destination swapped",
       [](FakeMoveFileSystem& fs) {
         fs.rename(L"D:\\Store", L"D:\\Old");
         fs.addLink(L"D:\\Store", L"C:\\Victim");
       },
       L"移动失败：文件夹已不是计划中的那个：D:\\Store。未做任何更改", kOrigin},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeMoveFileSystem fs;
    fs.addVolume(L'C');
    fs.addVolume(L'D');
    fs.addFolder(L"D:\\Store");
    fs.addFile(L"C:\\Games\\Game\\save.dat", L"progress");
    fs.addFile(L"C:\\Games\\Game\\sub\\level.bin", L"0123456789");
    // Its copy denies this process DELETE, as the original does: undoing the copy reclaims it.
    fs.addFile(L"C:\\Games\\Game\\vault\\owned.txt", L"mine");
    fs.grantOnlyReading(L"C:\\Games\\Game\\vault");
    fs.grantOnlyReading(L"C:\\Games\\Game\\vault\\owned.txt");
    fs.addFolder(L"C:\\Victim");
    const PlannedMove planned = planMoveAway(fs, kOrigin, L"D:\\Store", {{}, L"NTFS"});
    ASSERT_FALSE(planned.refusal);
    c.after_planning(fs);

    const platform::SteadyClock clock;
    const CancelFlag cancel;
    FolderMover mover({fs, clock, cancel, nullptr, L"C:\\Journals"});
    const MoveResult result = mover.run(planned.plan);
    EXPECT_EQ(result.outcome, MoveOutcome::Failed);
    EXPECT_EQ(endMessage(planned.plan, result), c.message);

    const std::wstring whole = c.wholeAt;
    ASSERT_NE(fs.find(whole + L"\\sub\\level.bin"), nullptr);
    EXPECT_EQ(fs.find(whole + L"\\sub\\level.bin")->content, L"0123456789");
    EXPECT_EQ(fs.find(whole + L"\\save.dat")->content, L"progress");
    for (const auto& [path, node] : fs.nodes()) {
      EXPECT_EQ(path.find(L".mirafold-"), std::wstring::npos) << "left behind";
      EXPECT_NE(path.rfind(L"D:\\Store\\", 0), 0u) << "left behind";
      EXPECT_NE(path.rfind(L"C:\\Journals\\", 0), 0u) << "journal left";
      EXPECT_NE(path.rfind(L"C:\\Victim\\", 0), 0u) << "written through a swapped folder";
    }
  }
}

// A relative symbolic link that led out of the folder leads there still from the copy's place;
// one that stays inside stays relative.
TEST(MoveReasons, ALinkThatLedOutOfTheFolderLeadsThereStill) {
  FakeMoveFileSystem fs;
  fs.addVolume(L'C');
  fs.addVolume(L'D');
  fs.addFolder(L"D:\\Store");
  fs.addFile(L"C:\\Games\\Game\\save.dat", L"progress");
  fs.addLink(L"C:\\Games\\Game\\sub\\up", L"..\\..\\Other", platform::kTagSymbolicLink);
  fs.addFileLink(L"C:\\Games\\Game\\sub\\near", L"..\\save.dat");
  const PlannedMove planned = planMoveAway(fs, kOrigin, L"D:\\Store", {{}, L"NTFS"});
  ASSERT_FALSE(planned.refusal);
  const fakes::SteppingClock clock;
  const CancelFlag cancel;
  FolderMover mover({fs, clock, cancel, nullptr, L"C:\\Journals"});
  EXPECT_EQ(mover.run(planned.plan).outcome, MoveOutcome::Done);
  EXPECT_EQ(fs.find(L"D:\\Store\\Game\\sub\\up")->target, L"C:\\Games\\Other");
  EXPECT_EQ(fs.find(L"D:\\Store\\Game\\sub\\near")->target, L"..\\save.dat");
}

// The check of a fresh copy refuses what its original lacks: nobody else may have added to it.
// After the move the folder is the user's, and new files in it are the user's.
TEST(MoveReasons, TheCopyCheckRefusesWhatTheOriginalLacks) {
  FakeMoveFileSystem fs;
  fs.addVolume(L'C');
  fs.addVolume(L'D');
  fs.addFile(L"C:\\A\\f.txt", L"text");
  fs.addFolder(L"D:\\B");
  ASSERT_TRUE(
      fs.copyFile(L"C:\\A\\f.txt", L"D:\\B\\f.txt", [](std::uint64_t) { return true; }).ok());
  ASSERT_TRUE(
      fs.finishCopy(L"C:\\A\\f.txt", L"D:\\B\\f.txt", fs.find(L"C:\\A\\f.txt")->times, true, [] {
          return true;
        }).ok());
  fs.addFile(L"D:\\B\\planted.dll", L"planted");
  EXPECT_EQ(verifyCopy(fs, L"C:\\A", L"D:\\B", {1, L"C:\\A", L"C:\\A", true}).reason,
            L"副本中出现了原文件夹没有的项目：C:\\A\\planted.dll");
  EXPECT_TRUE(verifyCopy(fs, L"C:\\A", L"D:\\B", {1, L"C:\\A", L"C:\\A", false}).ok());
}

// Stopped just as the old folder was to be deleted, then the copy damaged (a disk that lost what
// it said it had written): finishing keeps both and the journal, and says so; undoing puts the
// original back and keeps the copy. Nothing is deleted either way.
TEST(MoveReasons, RecoveryChecksTheCopyBeforeTheOriginalGoes) {
  const struct {
    Recovery choice;
    MoveOutcome outcome;
    const wchar_t* message;
    const wchar_t* original;  // where the original's file is found afterwards
    bool journalKept;
  } cases[] = {
      {Recovery::Complete, MoveOutcome::Unfinished,
       L"移动未完成：复制的文件与原文件不一致：C:\\Games\\Game\\save.dat。原文件夹未删除，"
       L"下次启动时可选择撤销此次移动",
       L"C:\\Games\\Game.mirafold-moving\\save.dat", true},
      {Recovery::Undo, MoveOutcome::Cancelled,
       L"已撤销移动，原文件夹已放回原处；与原文件夹不一致的副本保留在：D:\\Store\\Game",
       L"C:\\Games\\Game\\save.dat", false},
  };
  for (const auto& c : cases) {
    FakeMoveFileSystem start;
    start.addVolume(L'C');
    start.addVolume(L'D');
    start.addFolder(L"D:\\Store");
    start.addFile(L"C:\\Games\\Game\\save.dat", L"progress");
    const PlannedMove planned = planMoveAway(start, kOrigin, L"D:\\Store", {{}, L"NTFS"});
    ASSERT_FALSE(planned.refusal);
    start.resetFaults();  // operations are counted from the move's first
    const platform::SteadyClock clock;
    const CancelFlag cancel;
    std::optional<FakeMoveFileSystem> crashed;
    for (long i = 0; !crashed; ++i) {
      FakeMoveFileSystem fs = start;
      fs.crashAt(i);
      FolderMover mover({fs, clock, cancel, nullptr, L"C:\\Journals"});
      ASSERT_THROW(mover.run(planned.plan), fakes::SimulatedCrash);
      const auto pending = findPendingMoves(fs, L"C:\\Journals");
      if (!pending.empty() && pending[0].entry.phase == Phase::Clean) crashed = fs;
    }
    crashed->resetFaults();
    crashed->addFile(L"D:\\Store\\Game\\save.dat", L"prog");
    FolderMover mover({*crashed, clock, cancel, nullptr, L"C:\\Journals"});
    const MoveResult result =
        mover.recover(findPendingMoves(*crashed, L"C:\\Journals").front(), c.choice);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(endMessage(planned.plan, result), c.message);
    const auto* original = crashed->find(c.original);
    ASSERT_NE(original, nullptr) << "the original was deleted";
    EXPECT_EQ(original->content, L"progress");
    EXPECT_EQ(crashed->find(L"D:\\Store\\Game\\save.dat")->content, L"prog");
    EXPECT_EQ(findPendingMoves(*crashed, L"C:\\Journals").size(), c.journalKept ? 1u : 0u);
  }
}

}  // namespace
}  // namespace mirafold::move

// What a move costs per file, counted in file-system operations: the listings carry every
// entry's kind, size and times, so a file costs only what must be done to it. Under Wine one
// query per file made a walk of 100,000 files take 20 s; these counts keep that from returning.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/fake_move_file_system.h"
#include "fakes/stepping_clock.h"
#include "move/folder_mover.h"
#include "move/move_planning.h"

namespace mirafold::move {
namespace {

using fakes::FakeMoveFileSystem;

constexpr auto kJournals = L"C:\\Journals";
constexpr auto kOrigin = L"C:\\Games\\Game";

FakeMoveFileSystem gameOf(int files) {
  FakeMoveFileSystem fs;
  fs.addVolume(L'C');
  fs.addVolume(L'D');
  fs.addFolder(kJournals);
  fs.addFolder(L"C:\\Store");
  fs.addFolder(L"D:\\Store");
  fs.addFolder(kOrigin);
  fs.addFolder(kOrigin + std::wstring(L"\\data"));
  for (int i = 0; i < files; ++i) {
    fs.addFile(kOrigin + std::wstring(L"\\data\\file-") + std::to_wstring(i), L"content");
  }
  return fs;
}

MoveResult runMove(FakeMoveFileSystem& fs, const PlannedMove& planned,
                   ProgressCallback progress = nullptr) {
  EXPECT_FALSE(planned.refusal);
  const CancelFlag cancel;
  fakes::SteppingClock clock;
  FolderMover mover({fs, clock, cancel, std::move(progress), kJournals});
  return mover.run(planned.plan);
}

// Planning and running a move of `files` files away to `store`, and back when asked.
long operationsToMove(int files, const std::wstring& store, bool back) {
  FakeMoveFileSystem fs = gameOf(files);
  const MoveSurroundings surroundings{{}, L"NTFS"};
  if (back) {
    EXPECT_EQ(runMove(fs, planMoveAway(fs, kOrigin, store, surroundings)).outcome,
              MoveOutcome::Done);
  }
  fs.resetFaults();
  const PlannedMove planned = back ? planMoveBack(fs, kOrigin, surroundings)
                                   : planMoveAway(fs, kOrigin, store, surroundings);
  EXPECT_EQ(runMove(fs, planned).outcome, MoveOutcome::Done);
  return fs.operations();
}

TEST(MoveCost, OperationsPerFileAreOnlyWhatTheFileNeeds) {
  struct Row {
    const char* name;
    const wchar_t* store;
    bool back;
    long perFile;
  };
  const Row rows[] = {
      {"same volume, away: renames move the folder whole", L"C:\\Store", false, 0},
      {"same volume, back", L"C:\\Store", true, 0},
      {"other volume, away: its names counted, a copy, its flush and a deletion", L"D:\\Store",
       false, 4},
      {"other volume, back", L"D:\\Store", true, 4},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const long ten = operationsToMove(10, row.store, row.back);
    const long thirty = operationsToMove(30, row.store, row.back);
    EXPECT_EQ(thirty - ten, 20 * row.perFile);
  }
}

// The steps after the copy, its check and the old folder's deletion, name what they reach.
TEST(MoveCost, CheckingAndDeletingKeepTheProgressWindowTold) {
  FakeMoveFileSystem fs = gameOf(40);
  std::vector<MoveProgress> reports;
  const MoveResult result = runMove(fs, planMoveAway(fs, kOrigin, L"D:\\Store", {{}, L"NTFS"}),
                                    [&](const MoveProgress& p) { reports.push_back(p); });
  ASSERT_EQ(result.outcome, MoveOutcome::Done);
  const std::wstring hidden = std::wstring(kOrigin) + L".mirafold-moving\\";
  long deletions = 0;
  for (const MoveProgress& p : reports) deletions += p.currentFile.starts_with(hidden);
  EXPECT_GT(deletions, 2) << "the files being deleted are named as the deletion goes";
  // After the last file copied, the check names the folders before the deletion names files.
  const auto last = std::find_if(reports.begin(), reports.end(), [](const MoveProgress& p) {
    return p.filesDone == p.filesTotal && p.filesTotal > 0;
  });
  ASSERT_NE(last, reports.end());
  const auto named = std::find_if(last, reports.end(), [&](const MoveProgress& p) {
    return p.currentFile != last->currentFile && p.currentFile.starts_with(hidden);
  });
  ASSERT_NE(named, reports.end());
  EXPECT_EQ(named->currentFile, hidden + L"data") << "the check names the folder it checks";
  EXPECT_TRUE(reports.back().currentFile.empty()) << "the last report names no file";
  EXPECT_EQ(reports.back().filesDone, 40u);
}

}  // namespace
}  // namespace mirafold::move

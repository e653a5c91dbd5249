// The move's promise, tried at every operation: whatever single operation fails, and wherever the
// process dies or the power goes (then the next start completes or undoes the move), every
// original file exists with its content in exactly one place, reachable from the path the user
// knew, and no original is deleted before every copy is flushed to the disk. The disk keeps
// Windows' rules (see the fake): a scanner holds every fresh entry for a moment, a power cut
// takes back links and renames not flushed, a folder's DACL may grant the mover only reading;
// and another program may act between a listing and the next operation. Owners other than the
// mover stay only with the restore privilege (SetNamedSecurityInfo: without SeRestorePrivilege the
// owner must be in the caller's token), and the confirmation says so before a copy loses them. Two
// volumes share a 32-bit serial, as cloned disks do (FILE_ID_INFO: the 64-bit serial and the file
// id tell files apart). FAT32 has no links, streams or ACLs, keeps write times in 2 s and ignores
// case ("File System Functionality Comparison"; "Setting and getting the timestamp of a file").

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <tuple>

#include "base/path_rules.h"
#include "fakes/fake_move_file_system.h"
#include "fakes/stepping_clock.h"
#include "move/folder_mover.h"
#include "move/move_paths.h"
#include "move/move_planning.h"
#include "move/move_queue.h"
#include "move/volume_rules.h"

namespace mirafold::move {
namespace {

using fakes::FakeMoveFileSystem;
using fakes::SimulatedCrash;
using platform::EntryKind;
using platform::kAttributeHidden;
using platform::kAttributeReadOnly;
using platform::kAttributeSystem;

constexpr auto kJournals = L"C:\\Users\\me\\AppData\\Local\\Mirafold\\moves";
constexpr auto kOutside = L"C:\\Shared";
constexpr auto kVictim = L"C:\\Victim";  // what another program would have the move change

struct SampleFile {
  std::wstring path;  // below the moved folder
  std::wstring content;
  std::uint32_t attributes;
};

const std::vector<SampleFile> kSampleFiles = {
    {L"readme.txt", L"readme of the game", 0},
    {L"bin\\game.exe", L"MZ the game itself, longer than a copy chunk", 0},
    {L"bin\\engine.dll", L"a read-only library", kAttributeReadOnly},
    {L"save\\slot1.sav", L"a hidden system save", kAttributeHidden | kAttributeSystem},
    {L"deep\\a\\b\\c.txt", L"deep inside", 0},
    {L"中文\\存档.txt", L"中文内容", 0},
    {L"empty.txt", L"", 0},
};
// A folder whose DACL grants the mover only reading (as its owner: READ_CONTROL and WRITE_DAC).
constexpr auto kLockedFolder = L"locked";
constexpr auto kOutsideContent = L"shared, outside the folder";

// Another owns these: TrustedInstaller the folder whose DACL grants the mover only reading.
constexpr auto kSystemsFile = L"bin\\engine.dll";

// What a tree holds, for comparison: per relative path, its kind, content, attributes, target,
// permissions, owner, and the creation and last-write times of files and folders (a copied link,
// a file's or a folder's, gets times of its own).
using Snapshot =
    std::map<std::wstring, std::tuple<EntryKind, std::wstring, std::uint32_t, std::wstring,
                                      std::wstring, std::wstring, platform::EntryTimes>>;

Snapshot snapshotOf(const FakeMoveFileSystem& fs, const std::wstring& root) {
  Snapshot snapshot;
  for (const auto& [path, node] : fs.nodes()) {
    if (path != root && path.rfind(root + L"\\", 0) != 0) continue;
    const platform::EntryTimes times = node.target.empty() ? node.times : platform::EntryTimes{};
    snapshot[path.substr(root.size())] = {
        node.kind, node.content, node.attributes, node.target, node.security, node.owner, times};
  }
  return snapshot;
}

bool isJournal(const std::wstring& path) { return path.rfind(kJournals, 0) == 0; }

struct Scenario {
  const char* name;
  Direction direction;
  wchar_t storeDrive;        // where the folder goes (away) or comes from (back)
  wchar_t userDrive = L'C';  // the journal's is C:
  // A scanner holds every fresh entry for a moment (one scenario: it doubles the sweep's work).
  bool scanner = false;
  bool unelevated = false;  // no restore privilege: a copy's owner is the mover
};

// The store drive of one scenario, FAT32: its tree holds no links, which the move would refuse.
constexpr wchar_t kFatDrive = L'F';

// The path the user knows, before and after.
std::wstring userPathOf(const Scenario& s) { return s.userDrive + std::wstring(L":\\Games\\Game"); }

std::wstring storeOf(const Scenario& s) { return s.storeDrive + std::wstring(L":\\Store"); }
std::wstring storedFolderOf(const Scenario& s) { return storeOf(s) + L"\\Game"; }

struct Totals {
  long faults = 0;
  long crashes = 0;
  long rollbackCrashes = 0;
  long recoveryCrashes = 0;
  long recoveryFaults = 0;
};
Totals totals;

class MoveFaultTest : public testing::TestWithParam<Scenario> {
 public:
  static void TearDownTestSuite() {
    std::cout << "[ move ] fault points tried: " << totals.faults << " failures, " << totals.crashes
              << " crashes in a move, " << totals.rollbackCrashes
              << " crashes while a failure was undone, " << totals.recoveryCrashes
              << " crashes during recovery, " << totals.recoveryFaults
              << " failures during recovery\n";
  }

 protected:
  void SetUp() override {
    const Scenario& s = GetParam();
    userPath_ = userPathOf(s);
    // D: a clone of C:, with its 32-bit serial.
    start_.addVolume(L'C', {.shortSerial = 0x5EED1234});
    start_.addVolume(L'D', {.shortSerial = 0x5EED1234});
    start_.addVolume(L'E');
    start_.addVolume(kFatDrive, {.fileSystem = L"FAT32", .clusterBytes = 4096});
    const bool fat = s.storeDrive == kFatDrive;
    if (s.scanner) start_.scanEntries();
    if (s.unelevated) start_.withoutRestorePrivilege();
    start_.addFile(kVictim + std::wstring(L"\\precious.txt"), L"the victim's own");
    start_.addFolder(base::parentOf(kJournals));
    start_.addFile(kOutside + std::wstring(L"\\shared.txt"), kOutsideContent);
    start_.addFolder(storeOf(s));
    const std::wstring real = s.direction == Direction::Away ? userPath_ : storedFolderOf(s);
    start_.addFolder(real, kAttributeReadOnly);
    start_.addFolder(real + L"\\deep", kAttributeHidden);
    start_.addFolder(real + L"\\empty");
    for (const SampleFile& f : kSampleFiles)
      start_.addFile(real + L"\\" + f.path, f.content, f.attributes);
    if (!fat) {
      start_.addLink(real + L"\\shared", kOutside);
      start_.addFileLink(real + L"\\bin\\latest", L"game.exe");
    }
    start_.addFolder(real + L"\\" + kLockedFolder);
    start_.grantOnlyReading(real + L"\\" + kLockedFolder);
    start_.giveOwner(real + L"\\" + kLockedFolder, L"TrustedInstaller");
    start_.giveOwner(real + L"\\" + kSystemsFile, L"SYSTEM");
    if (s.direction == Direction::Back) start_.addLink(userPath_, real);
    original_ = snapshotOf(start_, real);
    // What a copy keeps: the owners only with the privilege; on FAT no permissions, and write
    // times in its step.
    copied_ = original_;
    for (auto& [path, entry] : copied_) {
      if (s.unelevated || fat) std::get<5>(entry).clear();
      if (!fat) continue;
      std::get<4>(entry).clear();
      std::get<6>(entry).lastWrite -= std::get<6>(entry).lastWrite % (2 * kTicksPerSecond);
    }
    for (const auto& [path, node] : start_.nodes()) keys_.insert(path);

    FakeMoveFileSystem planning = start_;
    const MoveSurroundings surroundings{{L"C:\\Windows"}, L"NTFS"};
    const PlannedMove planned = s.direction == Direction::Away
                                    ? planMoveAway(planning, userPath_, storeOf(s), surroundings)
                                    : planMoveBack(planning, userPath_, surroundings);
    ASSERT_FALSE(planned.refusal) << *planned.refusal;
    plan_ = planned.plan;
    ASSERT_EQ(plan_.sameVolume, s.storeDrive == s.userDrive);
    // Told exactly when a copy loses them.
    EXPECT_EQ(planned.summary.ownedByOthers, s.unelevated && !plan_.sameVolume ? 2u : 0u);
  }

  MoveResult run(FakeMoveFileSystem& fs, const CancelFlag& cancel = CancelFlag{},
                 ProgressCallback progress = nullptr) {
    fakes::SteppingClock clock;
    FolderMover mover({fs, clock, cancel, std::move(progress), kJournals});
    return mover.run(plan_);
  }

  // The pending move found at the next start, if the move had written its journal.
  std::optional<PendingMove> pendingOf(FakeMoveFileSystem& fs) {
    const std::vector<PendingMove> pending = findPendingMoves(fs, kJournals);
    EXPECT_LE(pending.size(), 1u);
    if (pending.empty()) return std::nullopt;
    return pending.front();
  }

  MoveResult recover(FakeMoveFileSystem& fs, const PendingMove& pending, Recovery choice) {
    const CancelFlag cancel;
    fakes::SteppingClock clock;
    FolderMover mover({fs, clock, cancel, nullptr, kJournals});
    return mover.recover(pending, choice);
  }

  // Each operation of both recoveries, after every eighth crash point of a long move (all of a
  // short one): all of them would take minutes. `visit` gets the crashed disk, its pending move,
  // the choice, the crash point and the recovery's operation.
  template <typename Visit>
  void forEachRecoveryOperation(Visit visit) {
    const long count = operationsOf(start_);
    const long stride = count > 40 ? 8 : 1;
    for (long i = 0; i < count; i += stride) {
      FakeMoveFileSystem crashed = start_;
      crashed.crashAt(i);
      EXPECT_THROW(run(crashed), SimulatedCrash);
      const std::optional<PendingMove> pending = pendingOf(crashed);
      if (!pending) continue;
      crashed.resetFaults();
      for (const Recovery choice : {Recovery::Complete, Recovery::Undo}) {
        FakeMoveFileSystem counting = crashed;
        recover(counting, *pending, choice);
        for (long j = 0; j < counting.operations(); ++j) {
          visit(crashed, *pending, choice, i, j);
          if (HasFatalFailure()) return;
        }
      }
    }
  }

  long operationsOf(FakeMoveFileSystem fs) {
    run(fs);
    return fs.operations();
  }

  // Where the user's files are, for the outcome the engine reported.
  // `moved`: the folder should be where the move takes it, not where it was.
  void expectOneWholeCopy(const FakeMoveFileSystem& fs, const MoveResult& result, bool moved) {
    const Scenario& s = GetParam();
    const bool away = s.direction == Direction::Away;
    EXPECT_EQ(fs.deletedBeforeFlush(), 0) << "an original deleted before every copy was flushed";

    for (const SampleFile& f : kSampleFiles) {
      const auto* node = fs.find(fs.resolve(userPath_ + std::wstring(L"\\") + f.path, true));
      ASSERT_TRUE(node) << "unreachable: " << std::string(f.path.begin(), f.path.end());
      EXPECT_EQ(node->content, f.content);
    }
    std::vector<std::wstring> contents{kOutsideContent};
    for (const SampleFile& f : kSampleFiles) {
      if (!f.content.empty()) contents.push_back(f.content);
    }
    for (const std::wstring& content : contents) {
      const auto copies = std::count_if(fs.nodes().begin(), fs.nodes().end(), [&](auto& entry) {
        return !isJournal(entry.first) && entry.second.kind == EntryKind::File &&
               entry.second.content == content;
      });
      if (!result.leftover.empty()) {
        EXPECT_GE(copies, 1);
      } else {
        EXPECT_EQ(copies, 1) << "copies of a file";
      }
    }
    for (const auto& [path, node] : fs.nodes()) {
      if (path.find(L".mirafold-") == std::wstring::npos) continue;
      const bool documented = !result.leftover.empty() && path.rfind(result.leftover, 0) == 0 &&
                              result.leftover.ends_with(kMovingSuffix);
      EXPECT_TRUE(documented) << "left over: " << std::string(path.begin(), path.end());
    }
    if (result.outcome != MoveOutcome::Unfinished) {
      for (const auto& [path, node] : fs.nodes()) {
        EXPECT_FALSE(isJournal(path) && node.kind == EntryKind::File) << "journal left";
      }
    }

    const auto* user = fs.find(userPath_);
    ASSERT_TRUE(user);
    const std::wstring real = moved == away ? storedFolderOf(s) : std::wstring(userPath_);
    EXPECT_EQ(user->kind, moved == away ? EntryKind::Link : EntryKind::Folder);
    if (user->kind == EntryKind::Link) {
      EXPECT_EQ(fs.resolve(userPath_, true), real);
    }
    const Snapshot there = snapshotOf(fs, real);
    EXPECT_TRUE(there == original_ || there == copied_) << "the folder differs from the original";
    if (!moved) {
      std::set<std::wstring> keys;
      // The documented leftover of an undo that moved the folder back aside, nothing differs.
      const auto leftOver = [&](const std::wstring& path) {
        return !result.leftover.empty() && path.rfind(result.leftover, 0) == 0;
      };
      for (const auto& [path, node] : fs.nodes()) {
        if (!isJournal(path) && !leftOver(path)) keys.insert(path);
      }
      std::set<std::wstring> expected;
      for (const std::wstring& key : keys_) {
        if (!isJournal(key)) expected.insert(key);
      }
      EXPECT_EQ(keys, expected) << "entries differ from before the move";
      if (result.leftover.empty()) {
        EXPECT_EQ(fs.freeBytes(s.storeDrive), start_.freeBytes(s.storeDrive));
      }
    }
  }

  static bool finished(const MoveResult& result) {
    return result.outcome == MoveOutcome::Done || result.outcome == MoveOutcome::DoneOldFolderLeft;
  }

  // Both choices at the next start, each from its own copy of the disk. A journal of the way back
  // (an undo that was itself cut short) completed leaves the folder where it was.
  void recoverBothWays(const FakeMoveFileSystem& crashed) {
    for (const Recovery choice : {Recovery::Complete, Recovery::Undo}) {
      SCOPED_TRACE(choice == Recovery::Complete ? "complete" : "undo");
      FakeMoveFileSystem fs = crashed;
      fs.resetFaults();
      const std::optional<PendingMove> pending = pendingOf(fs);
      if (!pending) {
        expectOneWholeCopy(fs, {MoveOutcome::Cancelled, {}, {}}, false);
        continue;
      }
      const bool reversed = pending->entry.plan.direction != GetParam().direction;
      const MoveResult result = recover(fs, *pending, choice);
      EXPECT_EQ(result.outcome,
                choice == Recovery::Complete ? MoveOutcome::Done : MoveOutcome::Cancelled)
          << std::string(result.reason.begin(), result.reason.end());
      expectOneWholeCopy(fs, result, finished(result) != reversed);
    }
  }

  void settle(FakeMoveFileSystem& fs, const MoveResult& result) {
    if (result.outcome == MoveOutcome::Unfinished) {
      recoverBothWays(fs);
    } else {
      expectOneWholeCopy(fs, result, finished(result));
    }
  }

  std::wstring userPath_;
  FakeMoveFileSystem start_;
  Snapshot original_;
  Snapshot copied_;  // the original as a copy keeps it
  std::set<std::wstring> keys_;
  MovePlan plan_;
};

TEST_P(MoveFaultTest, CleanRunMovesEverything) {
  FakeMoveFileSystem fs = start_;
  const MoveResult result = run(fs);
  EXPECT_EQ(result.outcome, MoveOutcome::Done)
      << std::string(result.reason.begin(), result.reason.end());
  expectOneWholeCopy(fs, result, true);
}

TEST_P(MoveFaultTest, AnyOneOperationFailing) {
  const long count = operationsOf(start_);
  for (long i = 0; i < count; ++i) {
    SCOPED_TRACE("failing operation " + std::to_string(i) + " of " + std::to_string(count));
    FakeMoveFileSystem fs = start_;
    fs.failAt(i);
    const MoveResult result = run(fs);
    EXPECT_NE(result.outcome, MoveOutcome::Done) << "a failure nobody noticed";
    EXPECT_FALSE(fs.holdsAny()) << "folders held past the move's end";
    // Told in a box with only OK: a reason, and no question.
    const std::wstring told = endMessage(plan_, result).value_or(L"");
    if (result.outcome == MoveOutcome::Unfinished) {
      EXPECT_FALSE(result.reason.empty());
      EXPECT_NE(told.find(result.reason), std::wstring::npos);
    }
    EXPECT_EQ(told.find(L'？'), std::wstring::npos) << std::string(told.begin(), told.end());
    fs.resetFaults();
    settle(fs, result);
    if (HasFatalFailure()) return;
  }
  totals.faults += count;
}

TEST_P(MoveFaultTest, CrashAtAnyOperationThenRecovery) {
  const long count = operationsOf(start_);
  for (long i = 0; i < count; ++i) {
    SCOPED_TRACE("crash at operation " + std::to_string(i) + " of " + std::to_string(count));
    FakeMoveFileSystem fs = start_;
    fs.crashAt(i);
    EXPECT_THROW(run(fs), SimulatedCrash);
    recoverBothWays(fs);
    if (HasFatalFailure()) return;
  }
  totals.crashes += count;
}

TEST_P(MoveFaultTest, CrashWhileAFailureIsUndone) {
  const long count = operationsOf(start_);
  for (long i = 0; i < count; ++i) {
    FakeMoveFileSystem failing = start_;
    failing.failAt(i);
    run(failing);
    for (long j = i + 1; j < failing.operations(); ++j) {
      SCOPED_TRACE("failing operation " + std::to_string(i) + ", crash at " + std::to_string(j));
      FakeMoveFileSystem fs = start_;
      fs.failAt(i);
      fs.crashAt(j);
      EXPECT_THROW(run(fs), SimulatedCrash);
      recoverBothWays(fs);
      if (HasFatalFailure()) return;
      ++totals.rollbackCrashes;
    }
  }
}

TEST_P(MoveFaultTest, CrashDuringRecoveryThenRecoveryAgain) {
  forEachRecoveryOperation([&](const FakeMoveFileSystem& crashed, const PendingMove& pending,
                               Recovery choice, long i, long j) {
    SCOPED_TRACE("crash at " + std::to_string(i) + ", again at " + std::to_string(j) +
                 " of the recovery");
    FakeMoveFileSystem fs = crashed;
    fs.crashAt(j);
    EXPECT_THROW(recover(fs, pending, choice), SimulatedCrash);
    recoverBothWays(fs);
    ++totals.recoveryCrashes;
  });
}

// Undoing a finished move that fails leaves it finished.
TEST_P(MoveFaultTest, AnyOperationOfRecoveryFailing) {
  forEachRecoveryOperation([&](const FakeMoveFileSystem& crashed, const PendingMove& pending,
                               Recovery choice, long i, long j) {
    SCOPED_TRACE("crash at " + std::to_string(i) + ", recovery failing at " + std::to_string(j) +
                 (choice == Recovery::Complete ? " completing" : " undoing"));
    FakeMoveFileSystem fs = crashed;
    fs.failAt(j);
    const MoveResult result = recover(fs, pending, choice);
    fs.resetFaults();
    if (result.outcome == MoveOutcome::Unfinished) {
      recoverBothWays(fs);
    } else {
      const bool atEnd =
          finished(result) || (choice == Recovery::Undo && result.outcome == MoveOutcome::Failed);
      expectOneWholeCopy(fs, result, atEnd);
    }
    ++totals.recoveryFaults;
  });
}

TEST_P(MoveFaultTest, CancelAtAnyProgressReport) {
  if (plan_.sameVolume) {
    // A rename has no progress to cancel at: a cancel before it starts changes nothing.
    FakeMoveFileSystem fs = start_;
    CancelFlag cancel;
    cancel.request();
    const MoveResult result = run(fs, cancel);
    EXPECT_EQ(result.outcome, MoveOutcome::Cancelled);
    expectOneWholeCopy(fs, result, false);
    return;
  }
  long reports = 0;
  {
    FakeMoveFileSystem fs = start_;
    run(fs, CancelFlag{}, [&](const MoveProgress&) { ++reports; });
  }
  ASSERT_GT(reports, 3);
  for (long k = 1; k < reports; ++k) {
    SCOPED_TRACE("cancel at report " + std::to_string(k));
    FakeMoveFileSystem fs = start_;
    CancelFlag cancel;
    long seen = 0;
    const MoveResult result = run(fs, cancel, [&](const MoveProgress&) {
      if (++seen == k) cancel.request();
    });
    // The last report comes when the copy is over: too late to cancel, the move goes on.
    if (result.outcome != MoveOutcome::Done) {
      EXPECT_EQ(result.outcome, MoveOutcome::Cancelled);
      EXPECT_EQ(endMessage(plan_, result), L"已取消，未做任何更改");
    }
    expectOneWholeCopy(fs, result, finished(result));
  }
}

TEST_P(MoveFaultTest, FileHeldOpenChangesNothing) {
  FakeMoveFileSystem fs = start_;
  const std::wstring held = plan_.origin + L"\\bin\\game.exe";
  fs.holdOpen(held);
  const MoveResult result = run(fs);
  EXPECT_EQ(result.outcome, MoveOutcome::Failed);
  EXPECT_EQ(endMessage(plan_, result), L"移动失败：文件正在使用：" + held + L"。未做任何更改");
  expectOneWholeCopy(fs, result, false);
}

// As Wine's CreateSymbolicLinkW does: links reported made, and none there. Each link is checked.
TEST_P(MoveFaultTest, LinkReportedMadeButMissingIsFound) {
  FakeMoveFileSystem fs = start_;
  fs.makeNoLinks();
  const MoveResult result = run(fs);
  const bool back = GetParam().direction == Direction::Back;
  if (back && plan_.sameVolume) {
    EXPECT_EQ(result.outcome, MoveOutcome::Done) << "a rename back makes no link";
    expectOneWholeCopy(fs, result, true);
  } else if (back) {
    // The copy's own link is missing, the move is undone, and the link it removed cannot be put
    // back: the folder is whole where it was, and the journal stays for the next start.
    EXPECT_EQ(result.outcome, MoveOutcome::Unfinished);
    EXPECT_EQ(snapshotOf(fs, storedFolderOf(GetParam())), original_);
    EXPECT_EQ(findPendingMoves(fs, kJournals).size(), 1u);
  } else {
    EXPECT_EQ(result.outcome, MoveOutcome::Failed);
    expectOneWholeCopy(fs, result, false);
  }
}

TEST_P(MoveFaultTest, ProgressCountsEveryByteOnce) {
  std::vector<MoveProgress> reports;
  FakeMoveFileSystem fs = start_;
  run(fs, CancelFlag{}, [&](const MoveProgress& p) { reports.push_back(p); });
  ASSERT_FALSE(reports.empty());
  if (plan_.sameVolume) {
    EXPECT_EQ(reports.size(), 1u) << "a rename reports once, at its end";
    return;
  }
  std::uint64_t bytes = 0;
  for (const SampleFile& f : kSampleFiles) bytes += f.content.size();
  for (std::size_t i = 1; i < reports.size(); ++i) {
    EXPECT_GE(reports[i].bytesDone, reports[i - 1].bytesDone);
  }
  EXPECT_EQ(reports.front().bytesDone, 0u);
  EXPECT_EQ(reports.back().bytesDone, bytes);
  EXPECT_EQ(reports.back().bytesTotal, bytes);
  EXPECT_EQ(reports.back().filesDone, kSampleFiles.size());
  EXPECT_EQ(reports.back().filesTotal, kSampleFiles.size());
}

// Between any listing and the next operation another program turns a listed folder's first
// subfolder into a link to a victim folder, or adds a file to the copy. The victim is never
// touched, nothing planted reaches the moved folder, every original file is somewhere, and a move
// that stopped says why.
TEST_P(MoveFaultTest, AProgramActingBetweenListingAndOperation) {
  long listings = 0;
  {
    FakeMoveFileSystem fs = start_;
    run(fs);
    listings = fs.listings();
  }
  const auto survives = [&](const FakeMoveFileSystem& fs) {
    EXPECT_EQ(fs.find(kVictim + std::wstring(L"\\precious.txt"))->content, L"the victim's own");
    for (const SampleFile& f : kSampleFiles) {
      EXPECT_TRUE(std::any_of(fs.nodes().begin(), fs.nodes().end(),
                              [&](const auto& entry) {
                                return entry.second.kind == EntryKind::File &&
                                       entry.second.content == f.content;
                              }))
          << "lost: " << std::string(f.path.begin(), f.path.end());
    }
    for (const auto& [path, node] : fs.nodes()) {
      EXPECT_EQ(path.find(L"planted"), std::wstring::npos) << "planted in the copy";
    }
  };
  using Attack = FakeMoveFileSystem::Attack;
  for (const Attack attack : {Attack::LinkToVictim, Attack::AddToCopy}) {
    for (long k = 0; k < listings; ++k) {
      SCOPED_TRACE("attack after listing " + std::to_string(k));
      FakeMoveFileSystem fs = start_;
      fs.attack(attack, k, kVictim);
      const MoveResult result = run(fs);
      // The copy's folder is private from its making: nobody else adds to it.
      if (attack == Attack::AddToCopy) {
        EXPECT_FALSE(fs.attacked());
      }
      if (!fs.attacked()) continue;
      survives(fs);
      if (result.outcome == MoveOutcome::Failed) {
        EXPECT_EQ(result.reason.rfind(
                      L"此项在检查后被更改（例如被换成了链接），为安全起见移动已停止：", 0),
                  0u)
            << std::string(result.reason.begin(), result.reason.end());
      } else if (result.outcome == MoveOutcome::Unfinished) {
        for (const Recovery choice : {Recovery::Complete, Recovery::Undo}) {
          FakeMoveFileSystem recovered = fs;
          if (const auto pending = pendingOf(recovered)) recover(recovered, *pending, choice);
          survives(recovered);
        }
      } else {
        // Only the old folder's deletion was left when the link appeared in it.
        EXPECT_EQ(result.outcome, MoveOutcome::DoneOldFolderLeft);
      }
    }
  }
}

// A queue of three moves, the same promise at each of its operations: whatever fails or wherever
// it dies, every file is whole and reachable where the user knew it; a failure touches only its
// own move; after a kill the next start recovers the move under way and names exactly the other
// folders still where they were.
class QueueFaultTest : public testing::Test {
 protected:
  void SetUp() override {
    start_.addVolume(L'C');
    start_.addVolume(L'D');
    start_.addFolder(base::parentOf(kJournals));
    start_.addFolder(L"D:\\Store");
    for (const std::wstring& folder : kFolders) {
      for (const wchar_t* file : {L"\\a.txt", L"\\sub\\b.txt"}) {
        start_.addFile(folder + file, folder + file);  // each file's content its own path
      }
    }
    FakeMoveFileSystem planning = start_;
    for (const std::wstring& folder : kFolders) {
      const PlannedMove planned =
          planMoveAway(planning, folder, L"D:\\Store", {{L"C:\\Windows"}, L"NTFS"});
      ASSERT_FALSE(planned.refusal);
      moves_.push_back({planned.plan, planned.summary.bytes, planned.summary.files});
    }
    FakeMoveFileSystem clean = start_;
    const QueueEnd end = run(clean, &starts_);
    ASSERT_EQ(end.results.size(), kFolders.size());
    for (const MoveResult& result : end.results) ASSERT_EQ(result.outcome, MoveOutcome::Done);
    ASSERT_EQ(starts_.size(), kFolders.size());
    operations_ = clean.operations();
  }

  // `starts`: the operation each move begins at.
  QueueEnd run(FakeMoveFileSystem& fs, std::vector<long>* starts = nullptr) {
    fakes::SteppingClock clock;
    const CancelFlag cancel;
    return runQueue(moves_, {fs, clock, cancel,
                             [&](const QueueProgress& p) {
                               if (starts && starts->size() == p.index) {
                                 starts->push_back(fs.operations());
                               }
                             },
                             kJournals});
  }

  static void recover(FakeMoveFileSystem& fs, const PendingMove& pending, std::wstring& leftover,
                      Recovery choice = Recovery::Complete) {
    const CancelFlag cancel;
    fakes::SteppingClock clock;
    const MoveResult result =
        FolderMover({fs, clock, cancel, nullptr, kJournals}).recover(pending, choice);
    EXPECT_EQ(result.outcome,
              choice == Recovery::Complete ? MoveOutcome::Done : MoveOutcome::Cancelled);
    leftover = result.leftover;
  }

  // The move under way at operation `i`; -1 before the first.
  int moveAt(long i) const {
    return static_cast<int>(std::upper_bound(starts_.begin(), starts_.end(), i) - starts_.begin()) -
           1;
  }

  static EntryKind kindAt(const FakeMoveFileSystem& fs, const std::wstring& path) {
    const auto* node = fs.find(path);
    return node ? node->kind : EntryKind::Missing;
  }

  // Every file with its content at the path the user knew, in one copy unless `leftover` is one.
  void expectWhole(const FakeMoveFileSystem& fs, const std::wstring& leftover = {}) const {
    for (const std::wstring& folder : kFolders) {
      for (const wchar_t* file : {L"\\a.txt", L"\\sub\\b.txt"}) {
        const std::wstring content = folder + file;
        const auto* node = fs.find(fs.resolve(content, true));
        ASSERT_TRUE(node) << "unreachable: " << std::string(content.begin(), content.end());
        EXPECT_EQ(node->content, content);
        const auto copies = std::count_if(fs.nodes().begin(), fs.nodes().end(), [&](auto& e) {
          return e.second.kind == EntryKind::File && e.second.content == content;
        });
        if (leftover.empty()) {
          EXPECT_EQ(copies, 1);
        }
      }
    }
  }

  const std::vector<std::wstring> kFolders = {L"C:\\Games\\One", L"C:\\Games\\Two",
                                              L"C:\\Games\\Three"};
  FakeMoveFileSystem start_;
  std::vector<QueuedMove> moves_;
  std::vector<long> starts_;
  long operations_ = 0;
};

TEST_F(QueueFaultTest, AnyOneOperationFailingTouchesOnlyItsOwnMove) {
  for (long i = 0; i < operations_; ++i) {
    SCOPED_TRACE("failing operation " + std::to_string(i) + " of " + std::to_string(operations_));
    FakeMoveFileSystem fs = start_;
    fs.failAt(i);
    const QueueEnd end = run(fs);
    const int failing = moveAt(i);
    if (failing < 0) {
      EXPECT_FALSE(end.start.ok()) << "the queue's journal unwritten, nothing starts";
      EXPECT_TRUE(end.results.empty());
    } else {
      ASSERT_EQ(end.results.size(), kFolders.size());
    }
    fs.resetFaults();
    std::wstring leftover;
    for (std::size_t k = 0; k < end.results.size(); ++k) {
      const MoveResult& result = end.results[k];
      if (static_cast<int>(k) != failing) {
        EXPECT_EQ(result.outcome, MoveOutcome::Done) << "move " << k;
      } else if (result.outcome != MoveOutcome::Unfinished) {
        leftover = result.leftover;
      } else {
        // Its journal kept: the next start finishes it.
        const std::vector<PendingMove> pending = findPendingMoves(fs, kJournals);
        ASSERT_EQ(pending.size(), 1u);
        recover(fs, pending[0], leftover);
      }
    }
    expectWhole(fs, leftover);
  }
}

TEST_F(QueueFaultTest, KilledAtAnyOperationThenTheNextStartTellsTheTruth) {
  // At operations_, killed after the last move, before its end was told.
  for (long i = 0; i <= operations_; ++i) {
    FakeMoveFileSystem crashed = start_;
    if (i < operations_) {
      crashed.crashAt(i);
      EXPECT_THROW(run(crashed), SimulatedCrash);
      crashed.resetFaults();
    } else {
      run(crashed);
    }
    const int under = moveAt(i);
    const std::vector<PendingMove> pending = findPendingMoves(crashed, kJournals);
    ASSERT_LE(pending.size(), 1u);
    for (const Recovery choice : {Recovery::Complete, Recovery::Undo}) {
      SCOPED_TRACE("crash at " + std::to_string(i) + ", then " +
                   (choice == Recovery::Complete ? "completed" : "undone"));
      FakeMoveFileSystem fs = crashed;
      std::wstring leftover;
      if (!pending.empty()) recover(fs, pending[0], leftover, choice);
      expectWhole(fs, leftover);
      const std::optional<UnfinishedQueue> queue = findUnfinishedQueue(fs, kJournals);
      for (std::size_t k = 0; k < kFolders.size(); ++k) {
        const EntryKind kind = kindAt(fs, kFolders[k]);
        if (!queue) {
          // Only before its journal: nothing moved.
          EXPECT_EQ(kind, EntryKind::Folder) << "move " << k;
          continue;
        }
        const QueueAccount account = accountOf(fs, *queue, pending);
        const auto in = [&](const std::vector<std::wstring>& named) {
          return std::count(named.begin(), named.end(), kFolders[k]) == 1;
        };
        const bool notMoved = in(account.notMoved), moved = in(account.moved);
        if (static_cast<int>(k) < under) {
          EXPECT_EQ(kind, EntryKind::Link) << "move " << k;
          EXPECT_TRUE(moved && !notMoved) << "move " << k;
        } else if (static_cast<int>(k) > under) {
          EXPECT_EQ(kind, EntryKind::Folder) << "move " << k;
          EXPECT_TRUE(notMoved && !moved) << "move " << k << " not started, not named";
        } else {
          // The move under way: told by its own recovery, or named exactly as it ended.
          EXPECT_EQ(notMoved, pending.empty() && kind == EntryKind::Folder) << "move " << k;
          EXPECT_EQ(moved, pending.empty() && kind == EntryKind::Link) << "move " << k;
        }
      }
    }
    if (HasFatalFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Moves, MoveFaultTest,
    testing::Values(Scenario{"AwaySameVolume", Direction::Away, L'C'},
                    Scenario{"AwayOtherVolume", Direction::Away, L'D'},
                    Scenario{"BackSameVolume", Direction::Back, L'C'},
                    Scenario{"BackOtherVolume", Direction::Back, L'D', L'C', false, true},
                    Scenario{"AwayToFat", Direction::Away, kFatDrive},
                    // The link is made on another volume than the journal's.
                    Scenario{"AwayFromThirdVolume", Direction::Away, L'D', L'E', true},
                    // Renamed within a volume that is not the journal's.
                    Scenario{"AwayWithinAnotherVolume", Direction::Away, L'D', L'D'}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace mirafold::move

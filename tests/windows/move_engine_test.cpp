// The move engine on the real (Wine's) file system: one drive, another drive letter (D:, mapped
// by the test fixture, so that the move copies), a file held open, a name clash, a cancel in the
// middle of the copy, the move back, a stop dead in the copy and a process killed in it, each
// followed by recovery.

#include <windows.h>
#include <sddl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/command_line.h"
#include "base/text.h"
#include "host_script.h"
#include "junction_links.h"
#include "move/folder_mover.h"
#include "move/move_planning.h"
#include "move/move_queue.h"
#include "platform/clock.h"
#include "platform/win32/system/win32_move_file_system.h"
#include "platform/win32/system/win32_move_lock.h"
#include "temp_tree.h"

namespace mirafold {
namespace {

using move::MoveOutcome;
using platform::EntryKind;
using platform::MoveStatus;

using testing::junctionToolLinks;
using testing::runJunctionTool;

std::wstring tempFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  std::wstring base = temp;
  if (!base.empty() && base.back() == L'\\') base.pop_back();
  return base;
}

void writeFile(const std::wstring& path, const std::string& bytes, DWORD attributes = 0) {
  const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << ::GetLastError();
  DWORD written = 0;
  ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(h);
  if (attributes) ::SetFileAttributesW(path.c_str(), attributes);
}

std::string readFile(const std::wstring& path) {
  const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  ::CloseHandle(h);
  return bytes;
}

DWORD attributesOf(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()); }

// Stops dead (throws) at the n-th file copy, as a killed process would, leaving the disk as it is.
struct Killed {};
class DyingFileSystem final : public win32::Win32MoveFileSystem {
 public:
  DyingFileSystem(win32::LinkCommands links, int copies)
      : Win32MoveFileSystem(std::move(links), testing::moveTexts()), copiesLeft_(copies) {}
  MoveStatus copyFile(const std::wstring& from, const std::wstring& to,
                      const platform::CopyProgress& progress) override {
    if (copiesLeft_-- == 0) throw Killed{};
    return Win32MoveFileSystem::copyFile(from, to, progress);
  }

 private:
  int copiesLeft_;
};

struct SampleFile {
  const wchar_t* path;
  std::string content;
  DWORD attributes;
};

class MoveEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::GetDriveTypeW(L"D:\\"), static_cast<UINT>(DRIVE_FIXED))
        << "drive D: is mapped by the windows.map_move_drive fixture";
    // D:\ is the folder "mirafold-drive-d" of the temporary folder: the same scratch, two names.
    const std::wstring name = L"move-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(::GetTickCount64());
    otherDrive_ = L"D:\\" + name;
    otherDriveAlias_ = tempFolder() + L"\\mirafold-drive-d\\" + name;
    ASSERT_TRUE(::CreateDirectoryW(otherDrive_.c_str(), nullptr)) << ::GetLastError();

    source_ = tree_.folder(L"apps\\游戏 Game");
    tree_.folder(L"apps\\游戏 Game\\empty");
    tree_.folder(L"apps\\游戏 Game\\data\\deep");
    tree_.folder(L"outside");
    journals_ = tree_.at(L"journals");
    for (const SampleFile& f : files_) {
      writeFile(source_ + L"\\" + f.path, f.content, f.attributes);
    }
    // A folder time set on purpose, to be found again after the copy.
    setWriteTime(source_ + L"\\data", kFolderTime);
    ASSERT_TRUE(runJunctionTool({source_ + L"\\outside-link", tree_.at(L"outside")}).ok());
  }

  void TearDown() override {
    // Links first (the scratch remover leaves them), through the tool that made them.
    for (const std::wstring& root : {tree_.path(), otherDrive_}) removeLinksBelow(root);
    testing::removeScratchFolder(otherDriveAlias_);
  }

  void removeLinksBelow(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        runJunctionTool({L"-d", path});
      } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        removeLinksBelow(path);
      }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
  }

  static void setWriteTime(const std::wstring& path, ULONGLONG ticks) {
    const HANDLE h = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const FILETIME t{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    ::SetFileTime(h, nullptr, nullptr, &t);
    ::CloseHandle(h);
  }

  // Owner and permissions, as text.
  static std::wstring securityOf(const std::wstring& path) {
    std::vector<std::uint8_t> stored(4096);
    DWORD needed = 0;
    if (!::GetFileSecurityW(path.c_str(), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                            stored.data(), static_cast<DWORD>(stored.size()), &needed)) {
      return L"<unreadable>";
    }
    wchar_t* text = nullptr;
    if (!::ConvertSecurityDescriptorToStringSecurityDescriptorW(
            stored.data(), SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
            &text, nullptr)) {
      return L"<unconvertible>";
    }
    std::wstring result = text;
    ::LocalFree(text);
    return result;
  }

  static ULONGLONG creationTimeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return (ULONGLONG{data.ftCreationTime.dwHighDateTime} << 32) |
           data.ftCreationTime.dwLowDateTime;
  }

  static ULONGLONG writeTimeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) |
           data.ftLastWriteTime.dwLowDateTime;
  }

  move::PlannedMove planAway(const std::wstring& destination) {
    return move::planMoveAway(files_fs_, source_, destination, {{}, L"NTFS"});
  }

  move::MoveResult run(platform::MoveFileSystem& fs, const move::MovePlan& plan,
                       const move::CancelFlag& cancel = move::CancelFlag{},
                       move::ProgressCallback progress = nullptr) {
    EXPECT_TRUE(testing::holdPlaces(fs, plan));
    move::FolderMover mover({fs, clock_, cancel, std::move(progress), journals_});
    return mover.run(plan);
  }

  EntryKind kindOf(const std::wstring& path) {
    platform::EntryInfo info;
    EXPECT_TRUE(looker_.inspect(path, info).ok());
    return info.kind;
  }

  // Every sample file, read through `path` (a link or the folder itself).
  void expectWholeAt(const std::wstring& path) {
    for (const SampleFile& f : files_) {
      EXPECT_EQ(readFile(path + L"\\" + f.path), f.content) << path;
      EXPECT_EQ(attributesOf(path + L"\\" + f.path) & f.attributes, f.attributes);
    }
    EXPECT_EQ(kindOf(path + L"\\empty"), EntryKind::Folder);
    EXPECT_EQ(kindOf(path + L"\\outside-link"), EntryKind::Link);
  }

  void expectNoJournal() { EXPECT_TRUE(move::findPendingMoves(files_fs_, journals_).empty()); }

  // The sample folder, then two of a file each beside it, planned into D:.
  std::vector<move::QueuedMove> queueOfThree() {
    std::vector<move::QueuedMove> moves;
    for (const std::wstring& folder :
         {source_, tree_.folder(L"apps\\二 Two"), tree_.folder(L"apps\\三 Three")}) {
      if (folder != source_) writeFile(folder + L"\\own.txt", base::toUtf8(folder));
      const move::PlannedMove planned =
          move::planMoveAway(files_fs_, folder, otherDrive_, {{}, L"NTFS"});
      EXPECT_FALSE(planned.refusal) << "refused";
      moves.push_back({planned.plan, planned.summary.bytes, planned.summary.files});
    }
    return moves;
  }

  // Nothing but the source's parent holds entries named by the move.
  void expectUntouched() {
    EXPECT_EQ(kindOf(source_), EntryKind::Folder);
    expectWholeAt(source_);
    EXPECT_EQ(kindOf(source_ + L".mirafold-moving"), EntryKind::Missing);
    EXPECT_EQ(kindOf(otherDrive_ + L"\\游戏 Game"), EntryKind::Missing);
    EXPECT_EQ(kindOf(otherDrive_ + L"\\游戏 Game.mirafold-partial"), EntryKind::Missing);
    expectNoJournal();
  }

  static constexpr ULONGLONG kFolderTime = 132000000000000000ull;  // 2019
  const std::vector<SampleFile> files_ = {
      {L"readme.txt", "readme of the game", 0},
      {L"data\\big.bin", std::string(3 << 20, 'b'), 0},
      {L"data\\deep\\c.txt", "deep inside", 0},
      {L"hidden.sav", "hidden system save", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
      {L"engine.dll", "read-only library", FILE_ATTRIBUTE_READONLY},
  };
  testing::TempTree tree_;
  std::wstring source_, journals_, otherDrive_, otherDriveAlias_;
  win32::Win32MoveFileSystem files_fs_{junctionToolLinks(), testing::moveTexts()};
  // The test's own look, as any program sees the disk: through links, holding nothing.
  win32::Win32MoveFileSystem looker_{junctionToolLinks(), testing::moveTexts()};
  platform::SteadyClock clock_;
};

TEST_F(MoveEngineTest, SameDriveIsOneRenameAndALink) {
  const std::wstring store = tree_.folder(L"store");
  const move::PlannedMove planned = planAway(store);
  ASSERT_FALSE(planned.refusal) << "refused";
  EXPECT_TRUE(planned.plan.sameVolume);
  EXPECT_EQ(planned.summary.files, files_.size());
  const move::MoveResult result = run(files_fs_, planned.plan);
  ASSERT_EQ(result.outcome, MoveOutcome::Done) << mirafold::base::toUtf8(result.reason);
  EXPECT_EQ(kindOf(source_), EntryKind::Link);
  EXPECT_EQ(kindOf(store + L"\\游戏 Game"), EntryKind::Folder);
  expectWholeAt(source_);
  expectWholeAt(store + L"\\游戏 Game");
  EXPECT_EQ(kindOf(source_ + L".mirafold-moving"), EntryKind::Missing);
  expectNoJournal();
}

TEST_F(MoveEngineTest, OtherDriveCopiesChecksLinksAndCleansUp) {
  const move::PlannedMove planned = planAway(otherDrive_);
  ASSERT_FALSE(planned.refusal) << "refused";
  EXPECT_FALSE(planned.plan.sameVolume) << "D: must take the copy road";
  std::vector<move::MoveProgress> reports;
  const move::MoveResult result = run(files_fs_, planned.plan, move::CancelFlag{},
                                      [&](const move::MoveProgress& p) { reports.push_back(p); });
  ASSERT_EQ(result.outcome, MoveOutcome::Done)
      << std::string(result.reason.begin(), result.reason.end());
  const std::wstring moved = otherDrive_ + L"\\游戏 Game";
  EXPECT_EQ(kindOf(source_), EntryKind::Link);
  EXPECT_EQ(kindOf(moved), EntryKind::Folder);
  expectWholeAt(source_);
  expectWholeAt(moved);
  EXPECT_EQ(writeTimeOf(moved + L"\\data"), kFolderTime);
  bool leadsOutside = false;
  ASSERT_TRUE(
      files_fs_.sameFolder(moved + L"\\outside-link", tree_.at(L"outside"), leadsOutside).ok());
  EXPECT_TRUE(leadsOutside);
  EXPECT_EQ(kindOf(source_ + L".mirafold-moving"), EntryKind::Missing);
  EXPECT_EQ(kindOf(moved + L".mirafold-partial"), EntryKind::Missing);
  expectNoJournal();
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.back().bytesDone, planned.summary.bytes);

  // And back again: the undo of the menu, the same protocol the other way.
  const move::PlannedMove back = move::planMoveBack(files_fs_, source_, {{}, L"NTFS"});
  ASSERT_FALSE(back.refusal) << "refused";
  const move::MoveResult undone = run(files_fs_, back.plan);
  ASSERT_EQ(undone.outcome, MoveOutcome::Done)
      << std::string(undone.reason.begin(), undone.reason.end());
  EXPECT_EQ(kindOf(source_), EntryKind::Folder);
  expectWholeAt(source_);
  EXPECT_EQ(kindOf(moved), EntryKind::Missing);
  EXPECT_EQ(kindOf(otherDrive_ + L"\\游戏 Game.mirafold-moving"), EntryKind::Missing);
  expectNoJournal();
}

// E: is an exFAT volume (exfat-fuse), which keeps times to the second and which Wine calls NTFS:
// the copy check must allow the step the probe finds, and nothing else may differ.
// A file with a second name (a hard link) is counted for the confirmation of a copy, which makes
// each name a file of its own.
TEST_F(MoveEngineTest, FilesWithMoreThanOneNameAreCounted) {
  const std::wstring file = source_ + L"\\shared.bin";
  writeFile(file, "both", 0);
  ASSERT_TRUE(
      ::CreateHardLinkW((source_ + L"\\data\\other name.bin").c_str(), file.c_str(), nullptr))
      << ::GetLastError();
  std::uint32_t names = 0;
  ASSERT_TRUE(files_fs_.nameCount(file, names).ok());
  EXPECT_EQ(names, 2u);
  const move::PlannedMove planned = planAway(otherDrive_);
  EXPECT_EQ(planned.summary.filesWithManyNames, 2u) << "both names of the one file";
}

TEST_F(MoveEngineTest, ExfatDriveEndsWhole) {
  wchar_t fileSystem[MAX_PATH + 1] = {};
  if (!::GetVolumeInformationW(L"E:\\", nullptr, 0, nullptr, nullptr, nullptr, fileSystem,
                               MAX_PATH + 1)) {
    GTEST_SKIP() << "no drive E:: windows.exfat_drive_up says why the machine cannot mount one";
  }
  const std::wstring store = L"E:\\move-" + std::to_wstring(::GetCurrentProcessId());
  const std::wstring alias = tempFolder() + L"\\mirafold-drive-e\\" + store.substr(3);
  ASSERT_TRUE(::CreateDirectoryW(store.c_str(), nullptr)) << ::GetLastError();
  std::uint64_t step = 0;
  ASSERT_TRUE(files_fs_.measureTimeStep(store, step).ok());
  EXPECT_GE(step, 10'000'000u) << "exfat-fuse keeps whole seconds";
  // exFAT holds no links (nor does exfat-fuse hold Wine's host links).
  ASSERT_TRUE(runJunctionTool({L"-d", source_ + L"\\outside-link"}).ok());
  std::vector<ULONGLONG> times;
  for (const SampleFile& f : files_) times.push_back(writeTimeOf(source_ + L"\\" + f.path));

  const move::PlannedMove planned = planAway(store);
  ASSERT_FALSE(planned.refusal) << "refused";
  EXPECT_FALSE(planned.plan.sameVolume);
  const move::MoveResult result = run(files_fs_, planned.plan);
  EXPECT_EQ(result.outcome, MoveOutcome::Done)
      << std::string(result.reason.begin(), result.reason.end());
  const std::wstring moved = store + L"\\游戏 Game";
  for (std::size_t i = 0; i < files_.size(); ++i) {
    const std::wstring path = moved + L"\\" + files_[i].path;
    EXPECT_EQ(readFile(path), files_[i].content) << files_[i].path;
    const ULONGLONG copied = writeTimeOf(path);
    EXPECT_LT(copied > times[i] ? copied - times[i] : times[i] - copied, step) << files_[i].path;
  }
  EXPECT_EQ(kindOf(source_), EntryKind::Link);
  expectNoJournal();
  removeLinksBelow(store);
  testing::removeScratchFolder(alias);
}

// Links are carried, never entered: a relative host link and a junction, both to a folder
// outside the tree, arrive as links that lead there, and the folder keeps its file.
TEST_F(MoveEngineTest, LinksInsideTheTreeArriveAsLinks) {
  const std::wstring outside = tree_.at(L"outside");
  writeFile(outside + L"\\keep.txt", "outside the tree");
  ASSERT_TRUE(testing::runOnHost(tree_.at(L"apps"), L"ln -s ../../outside '游戏 Game/relative'"));
  ASSERT_EQ(kindOf(source_ + L"\\relative"), EntryKind::Link);

  const move::PlannedMove planned = planAway(otherDrive_);
  ASSERT_FALSE(planned.refusal) << "refused";
  const move::MoveResult result = run(files_fs_, planned.plan);
  ASSERT_EQ(result.outcome, MoveOutcome::Done)
      << std::string(result.reason.begin(), result.reason.end());
  const std::wstring moved = otherDrive_ + L"\\游戏 Game";
  for (const wchar_t* link : {L"\\relative", L"\\outside-link"}) {
    EXPECT_EQ(kindOf(moved + link), EntryKind::Link) << link;
    bool leads = false;
    ASSERT_TRUE(files_fs_.sameFolder(moved + link, outside, leads).ok());
    EXPECT_TRUE(leads) << link;
  }
  EXPECT_EQ(readFile(outside + L"\\keep.txt"), "outside the tree");
  EXPECT_EQ(kindOf(source_ + L".mirafold-moving"), EntryKind::Missing);
}

// Owner, permissions and creation times go along to another drive; permissions are compared
// only where Wine keeps a descriptor that was set.
TEST_F(MoveEngineTest, PermissionsAndCreationTimesGoAlong) {
  const std::wstring file = source_ + L"\\readme.txt";
  PSECURITY_DESCRIPTOR wanted = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:P(A;;FA;;;WD)(A;;FR;;;BU)", SDDL_REVISION_1, &wanted, nullptr));
  ASSERT_TRUE(::SetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, wanted));
  ::LocalFree(wanted);
  constexpr ULONGLONG kBorn = 131000000000000000ull;  // 2016
  const HANDLE h = ::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
  const FILETIME born{static_cast<DWORD>(kBorn), static_cast<DWORD>(kBorn >> 32)};
  ASSERT_TRUE(::SetFileTime(h, &born, nullptr, nullptr));
  ::CloseHandle(h);
  const bool bornKept = creationTimeOf(file) == kBorn;
  const std::wstring before = securityOf(file);
  // Wine 8 here makes a descriptor up from the host's modes and keeps none that is set.
  const bool kept = before.find(L"D:P(A;;FA;;;WD)") != std::wstring::npos;

  const move::PlannedMove planned = planAway(otherDrive_);
  ASSERT_FALSE(planned.refusal) << "refused";
  const move::MoveResult result = run(files_fs_, planned.plan);
  ASSERT_EQ(result.outcome, MoveOutcome::Done)
      << std::string(result.reason.begin(), result.reason.end());
  const std::wstring moved = otherDrive_ + L"\\游戏 Game\\readme.txt";
  if (kept) {
    EXPECT_EQ(securityOf(moved), before);
  } else {
    std::printf("permissions not compared: Wine keeps no descriptor here (shows %ls)\n",
                before.c_str());
  }
  if (bornKept) {
    EXPECT_EQ(creationTimeOf(moved), kBorn);
  } else {
    std::printf("creation time not compared: Wine keeps none that is set here\n");
  }
}

TEST_F(MoveEngineTest, FileHeldOpenWithoutSharingChangesNothing) {
  const std::wstring held = source_ + L"\\readme.txt";
  const HANDLE h = ::CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const move::PlannedMove planned = planAway(otherDrive_);
  ASSERT_FALSE(planned.refusal) << "refused";
  const move::MoveResult result = run(files_fs_, planned.plan);
  ::CloseHandle(h);
  EXPECT_EQ(result.outcome, MoveOutcome::Failed);
  // Under Wine the folder is renamed and the copy finds the file; under Windows the rename does.
  // Either way it is named where the user left it.
  EXPECT_EQ(move::endMessage(planned.plan, result),
            L"移动失败：文件正在使用：" + held + L"。未做任何更改");
  expectUntouched();
}

TEST_F(MoveEngineTest, TheSeamsOwnRefusalsAreInTheProgramsWords) {
  EXPECT_EQ(files_fs_.removeLink(source_).reason, L"不是链接：" + source_);
  EXPECT_EQ(kindOf(source_), EntryKind::Folder);
  win32::Win32MoveFileSystem toolless({}, testing::moveTexts());
  EXPECT_EQ(toolless.makeLink(otherDrive_ + L"\\link", source_).reason, L"找不到 junction.exe");
}

TEST_F(MoveEngineTest, NameClashIsRefusedAndTheEngineChecksAgain) {
  ASSERT_TRUE(::CreateDirectoryW((otherDrive_ + L"\\游戏 Game").c_str(), nullptr));
  const move::PlannedMove planned = planAway(otherDrive_);
  EXPECT_EQ(planned.refusal, L"右侧文件夹中已存在同名文件夹");
  // Even a plan made before the folder appeared.
  const move::MoveResult result = run(files_fs_, planned.plan);
  EXPECT_EQ(result.outcome, MoveOutcome::Failed);
  EXPECT_EQ(kindOf(source_), EntryKind::Folder);
  expectWholeAt(source_);
  EXPECT_EQ(kindOf(otherDrive_ + L"\\游戏 Game"), EntryKind::Folder);
  expectNoJournal();
}

TEST_F(MoveEngineTest, CancelInTheMiddleOfTheCopyChangesNothing) {
  const move::PlannedMove planned = planAway(otherDrive_);
  ASSERT_FALSE(planned.refusal) << "refused";
  move::CancelFlag cancel;
  bool cancelledMidFile = false;
  const move::MoveResult result =
      run(files_fs_, planned.plan, cancel, [&](const move::MoveProgress& p) {
        if (p.bytesDone > 0 && p.bytesDone < p.bytesTotal && !cancel.requested()) {
          cancelledMidFile = true;
          cancel.request();
        }
      });
  EXPECT_TRUE(cancelledMidFile);
  EXPECT_EQ(result.outcome, MoveOutcome::Cancelled);
  EXPECT_EQ(move::endMessage(planned.plan, result), L"已取消，未做任何更改");
  expectUntouched();
}

TEST_F(MoveEngineTest, StoppedDeadInTheCopyThenRecovered) {
  for (const move::Recovery choice : {move::Recovery::Undo, move::Recovery::Complete}) {
    SCOPED_TRACE(choice == move::Recovery::Complete ? "complete" : "undo");
    const move::PlannedMove planned = planAway(otherDrive_);
    ASSERT_FALSE(planned.refusal) << "refused";
    {
      // Dead: whatever it held open is closed, as a killed process's handles are.
      DyingFileSystem dying(junctionToolLinks(), 2);
      EXPECT_THROW(run(dying, planned.plan), Killed);
    }
    EXPECT_EQ(kindOf(source_ + L".mirafold-moving"), EntryKind::Folder);
    EXPECT_EQ(kindOf(otherDrive_ + L"\\游戏 Game.mirafold-partial"), EntryKind::Folder);

    const std::vector<move::PendingMove> pending = move::findPendingMoves(files_fs_, journals_);
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(move::recoveryQuestion(pending.front()),
              L"上次的移动未完成：" + source_ + L" → " + otherDrive_ +
                  L"\\游戏 Game。是否完成它？（选“否”则撤销）");
    const move::CancelFlag cancel;
    EXPECT_TRUE(testing::holdPlaces(files_fs_, pending.front().entry.plan));
    move::FolderMover mover({files_fs_, clock_, cancel, nullptr, journals_});
    const move::MoveResult result = mover.recover(pending.front(), choice);
    if (choice == move::Recovery::Undo) {
      EXPECT_EQ(result.outcome, MoveOutcome::Cancelled);
      expectUntouched();
    } else {
      EXPECT_EQ(result.outcome, MoveOutcome::Done);
      EXPECT_EQ(kindOf(source_), EntryKind::Link);
      expectWholeAt(source_);
      expectWholeAt(otherDrive_ + L"\\游戏 Game");
      EXPECT_EQ(kindOf(source_ + L".mirafold-moving"), EntryKind::Missing);
      EXPECT_EQ(kindOf(otherDrive_ + L"\\游戏 Game.mirafold-partial"), EntryKind::Missing);
      expectNoJournal();
    }
  }
}

TEST_F(MoveEngineTest, ProcessKilledInTheCopyThenRecovered) {
  // Enough files for the worker, which pauses at each progress report, to be caught copying.
  std::vector<std::wstring> parts;
  for (int i = 0; i < 40; ++i) {
    parts.push_back(L"data\\part" + std::to_wstring(i) + L".bin");
    writeFile(source_ + L"\\" + parts.back(), std::string(65536, static_cast<char>('a' + i % 26)));
  }
  const std::wstring marker = tree_.at(L"copying.marker");
  for (const move::Recovery choice : {move::Recovery::Undo, move::Recovery::Complete}) {
    SCOPED_TRACE(choice == move::Recovery::Complete ? "complete" : "undo");
    ::DeleteFileW(marker.c_str());
    std::wstring commandLine = mirafold::base::joinArguments(
        {testing::besideThisProgram(L"move_worker.exe"), source_, otherDrive_, journals_, marker});
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION worker{};
    ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                 CREATE_NO_WINDOW, nullptr, nullptr, &startup, &worker));
    bool copying = false;
    for (int waited = 0; waited < 3000 && !copying; ++waited) {
      copying = ::GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
      if (!copying) ::Sleep(10);
    }
    ::TerminateProcess(worker.hProcess, 9);
    ::WaitForSingleObject(worker.hProcess, 10000);
    ::CloseHandle(worker.hProcess);
    ::CloseHandle(worker.hThread);
    ASSERT_TRUE(copying) << "the worker never reached its copy";
    EXPECT_EQ(kindOf(otherDrive_ + L"\\游戏 Game.mirafold-partial"), EntryKind::Folder);

    const std::vector<move::PendingMove> pending = move::findPendingMoves(files_fs_, journals_);
    ASSERT_EQ(pending.size(), 1u);
    const move::CancelFlag cancel;
    EXPECT_TRUE(testing::holdPlaces(files_fs_, pending.front().entry.plan));
    move::FolderMover mover({files_fs_, clock_, cancel, nullptr, journals_});
    const move::MoveResult result = mover.recover(pending.front(), choice);
    EXPECT_EQ(result.outcome,
              choice == move::Recovery::Complete ? MoveOutcome::Done : MoveOutcome::Cancelled);
    if (choice == move::Recovery::Undo) {
      expectUntouched();
    } else {
      EXPECT_EQ(kindOf(source_), EntryKind::Link);
      expectWholeAt(source_);
      expectNoJournal();
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
      EXPECT_EQ(readFile(source_ + L"\\" + parts[i]),
                std::string(65536, static_cast<char>('a' + i % 26)));
    }
  }
}

// A queue of three into D:, the second holding a file open: the first and the third arrive whole,
// the second is whole at home, and the queue's journal, which names all three, goes once told.
TEST_F(MoveEngineTest, AQueueGoesOnPastAFailedMove) {
  const std::vector<move::QueuedMove> moves = queueOfThree();
  const std::wstring two = moves[1].plan.origin, three = moves[2].plan.origin;
  const HANDLE held = ::CreateFileW((two + L"\\own.txt").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const move::CancelFlag cancel;
  const move::QueueEnd end = move::runQueue(moves, {files_fs_, clock_, cancel, nullptr, journals_});
  ::CloseHandle(held);
  ASSERT_TRUE(end.start.ok()) << base::toUtf8(end.start.reason);
  ASSERT_EQ(end.results.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(end.results[i].outcome, i == 1 ? MoveOutcome::Failed : MoveOutcome::Done)
        << i << ": " << base::toUtf8(end.results[i].reason);
  }
  EXPECT_EQ(kindOf(source_), EntryKind::Link);
  expectWholeAt(otherDrive_ + L"\\游戏 Game");
  EXPECT_EQ(kindOf(two), EntryKind::Folder);
  EXPECT_EQ(readFile(two + L"\\own.txt"), base::toUtf8(two));
  EXPECT_EQ(kindOf(otherDrive_ + L"\\二 Two"), EntryKind::Missing);
  EXPECT_EQ(kindOf(otherDrive_ + L"\\二 Two.mirafold-partial"), EntryKind::Missing);
  EXPECT_EQ(kindOf(two + L".mirafold-moving"), EntryKind::Missing);
  EXPECT_EQ(kindOf(three), EntryKind::Link);
  EXPECT_EQ(readFile(three + L"\\own.txt"), base::toUtf8(three));
  expectNoJournal();
  const auto queue = move::findUnfinishedQueue(files_fs_, journals_);
  ASSERT_TRUE(queue);
  EXPECT_EQ(queue->folders, (std::vector<std::wstring>{moves[0].plan.origin, two, three}));
  move::forgetQueue(files_fs_, journals_);
  EXPECT_FALSE(move::findUnfinishedQueue(files_fs_, journals_));
}

// Stopped dead in the second move's copy: the next start finishes that move from its journal, and
// the queue's journal names the third, never started.
TEST_F(MoveEngineTest, AQueueStoppedDeadIsRecoveredAndNamesWhatDidNotMove) {
  const std::vector<move::QueuedMove> moves = queueOfThree();
  {
    DyingFileSystem dying(junctionToolLinks(), static_cast<int>(files_.size()));
    const move::CancelFlag cancel;
    EXPECT_THROW(move::runQueue(moves, {dying, clock_, cancel, nullptr, journals_}), Killed);
  }
  const std::vector<move::PendingMove> pending = move::findPendingMoves(files_fs_, journals_);
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending[0].entry.plan.origin, moves[1].plan.origin);
  const move::CancelFlag cancel;
  move::FolderMover mover({files_fs_, clock_, cancel, nullptr, journals_});
  EXPECT_EQ(mover.recover(pending[0], move::Recovery::Complete).outcome, MoveOutcome::Done);
  const auto queue = move::findUnfinishedQueue(files_fs_, journals_);
  ASSERT_TRUE(queue);
  const move::QueueAccount account = move::accountOf(files_fs_, *queue, pending);
  EXPECT_EQ(account.moved, std::vector<std::wstring>{moves[0].plan.origin});
  EXPECT_EQ(account.notMoved, std::vector<std::wstring>{moves[2].plan.origin});
  EXPECT_EQ(kindOf(source_), EntryKind::Link);
  expectWholeAt(source_);
  EXPECT_EQ(readFile(moves[1].plan.origin + L"\\own.txt"), base::toUtf8(moves[1].plan.origin));
  EXPECT_EQ(kindOf(moves[1].plan.origin), EntryKind::Link);
  EXPECT_EQ(kindOf(moves[2].plan.origin), EntryKind::Folder);
  move::forgetQueue(files_fs_, journals_);
}

// The user's move lock: held by one opening at a time, until it goes. Two openings in one process
// meet the same sharing as two processes' do.
TEST_F(MoveEngineTest, TheMoveLockIsHeldByOneAtATime) {
  const std::wstring path = journals_ + L"\\moves.lock";
  win32::Win32MoveLock lock(path), other(path);
  std::unique_ptr<platform::MoveLock::Held> held = lock.tryHold();
  ASSERT_TRUE(held);
  EXPECT_EQ(kindOf(path), EntryKind::File);
  EXPECT_FALSE(other.tryHold());
  held.reset();
  EXPECT_TRUE(other.tryHold());
}

}  // namespace
}  // namespace mirafold

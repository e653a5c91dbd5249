#include <gtest/gtest.h>

#include <thread>

#include "app/row_menu.h"
#include "argument_split.h"
#include "fakes/fake_controls.h"
#include "fakes/fake_folder_picker.h"
#include "fakes/fake_link_probe.h"
#include "fakes/fake_move_file_system.h"
#include "fakes/fake_move_lock.h"
#include "fakes/fake_nt_volume.h"
#include "fakes/fake_pipes.h"
#include "fakes/fake_progress_window.h"
#include "fakes/fake_running_programs.h"
#include "fakes/fake_system.h"
#include "fakes/fake_table_window.h"
#include "fakes/fake_user_rights.h"
#include "fakes/stepping_clock.h"
#include "link/link_commands.h"
#include "link/link_target_change.h"
#include "move/messages.h"
#include "move/move_handlers.h"
#include "overview/link_overview.h"

namespace mirafold::move {
namespace {

using platform::EntryKind;

// C:\Games\Game is a real folder of two files, C:\Games\Linked a link to D:\Store\Linked; the
// left list shows C:\Games, the right one D:\Store\Shelf.
struct World {
  World() {
    disk.addVolume(L'C');
    disk.addVolume(L'D');
    disk.addFile(L"C:\\Games\\Game\\save.dat", L"progress");
    disk.addFile(L"C:\\Games\\Game\\sub\\level.bin", L"0123456789");
    disk.addFolder(L"D:\\Store\\Shelf\\Box");
    disk.addFile(L"D:\\Store\\Linked\\kept.txt", L"kept");
    disk.addLink(L"C:\\Games\\Linked", L"D:\\Store\\Linked");
    disk.addLink(L"C:\\Games\\Broken", L"D:\\Store\\Gone");
    for (const auto* folder : {L"C:\\", L"C:\\Games", L"C:\\Games\\Linked", L"D:\\", L"D:\\Store",
                               L"D:\\Store\\Shelf", L"D:\\Store\\Linked"}) {
      listed.addFolder(folder);
    }
  }
  // As each window of the program has them: the disk and the lock are the user's.
  MoveServices services() {
    return {.files = disk,
            .messages = messages,
            .processes = processes,
            .progress = progress,
            .systemFolders = systemFolders,
            .volume = volume,
            .clock = clock,
            .pipes = pipes,
            .errors = errors,
            .programs = programs,
            .paths = listed,
            .lock = lock,
            .journalFolder = L"C:\\Journals",
            .helperJournalFolder = kHelperJournals,
            .programPath = kProgram,
            .appFolders = appFolders};
  }
  MoveHandlers& handlers() {
    if (!handlers_) {
      handlers_ =
          std::make_unique<MoveHandlers>(MoveControls{.dir1 = dir1, .dir2 = dir2}, services());
      // The menu as the window has it.
      menu_ = std::make_unique<app::RowMenu>(
          dir1, dir2,
          std::vector<app::RowCommands>{
              {[this](platform::ListSide side, const std::wstring& f) {
                 return handlers_->menuFor(side, f);
               },
               [this](platform::ListSide side, const std::wstring& f, int command) {
                 handlers_->choose(side, f, command);
               }},
              {[this](platform::ListSide side, const std::wstring& f) {
                 return linkRows_.menuFor(side, f);
               },
               [this](platform::ListSide side, const std::wstring& f, int command) {
                 linkRows_.choose(side, f, command);
               }},
              {[this](platform::ListSide side, const std::wstring& f) {
                 return targetChange_.menuFor(side, f);
               },
               [this](platform::ListSide side, const std::wstring& f, int command) {
                 targetChange_.choose(side, f, command);
               }},
              {[this](platform::ListSide, const std::wstring& f) { return overview_.rowItems(f); },
               [this](platform::ListSide, const std::wstring& f, int) { overviewShownFor = f; }}});
    }
    return *handlers_;
  }
  ~World() {
    if (helper.joinable()) helper.join();
  }
  // The program started elevated runs as the helper, on a thread of its own as a process would,
  // over the same disk; with `rights` the disk's refusals are lifted for it.
  void helperRuns(bool rights) {
    processes.onElevated = [this, rights](const fakes::ElevatedRun& run) {
      if (rights) disk.refuseChangesIn(L"");
      auto arguments = testing::splitLikeTheCRuntime(L"mirafold.exe " + run.parameters);
      arguments.erase(arguments.begin());
      const auto request = parseHelperArguments(arguments);
      ASSERT_TRUE(request.has_value());
      const auto state = processes.kept(processes.keptCount() - 1);
      helperMessages.answers = {helperAgrees};
      helper = std::thread([this, request = *request, state] {
        std::unique_ptr<platform::MessagePipe> pipe =
            pipes.connect(request.pipeName, request.window);
        runElevatedMove(request, {.journalFolder = kHelperJournals,
                                  .files = disk,
                                  .systemFolders = systemFolders,
                                  .volume = volume,
                                  .clock = helperClock,
                                  .pipe = *pipe,
                                  .messages = helperMessages,
                                  .user = user});
        pipe.reset();
        state->exitCode = 0;
      });
    };
  }
  bool journalLeft() const {
    for (const auto& [path, node] : disk.nodes()) {
      if ((path.starts_with(L"C:\\Journals\\") || path.starts_with(kHelperJournals)) &&
          node.kind == EntryKind::File) {
        return true;
      }
    }
    return false;
  }
  EntryKind kindAt(const std::wstring& path) const {
    const auto* node = disk.find(path);
    return node ? node->kind : EntryKind::Missing;
  }

  fakes::FakeMoveFileSystem disk;
  fakes::FakeFileSystem listed;
  fakes::FakeFolderList dir1{listed, L"C:\\Games"}, dir2{listed, L"D:\\Store\\Shelf"};
  fakes::FakeMessageBoxes messages;
  fakes::FakeMessageBoxes helperMessages;  // the elevated helper's own question
  bool helperAgrees = true;
  fakes::FakeUserRights user;
  fakes::FakeProcesses processes;
  fakes::FakeProgressWindow progress;
  fakes::FakeSystemFolders systemFolders;
  fakes::FakeNtVolume volume;
  fakes::SteppingClock clock{std::chrono::milliseconds(100)};
  fakes::SteppingClock helperClock{std::chrono::milliseconds(100)};
  fakes::FakePipes pipes;
  fakes::FakeErrorTexts errors;
  fakes::FakeRunningPrograms programs;
  fakes::FakeMoveLock lock;
  platform::AppFolders appFolders{.localAppData = L"C:\\Users\\me\\AppData\\Local"};
  fakes::DiskLinkProbe links{disk};
  std::wstring overviewShownFor;
  std::thread helper;
  static constexpr const wchar_t* kProgram = L"D:\\Tools\\mirafold.exe";
  static constexpr const wchar_t* kHelperJournals = L"C:\\ProgramData\\Mirafold\\moves";

 private:
  std::unique_ptr<MoveHandlers> handlers_;
  fakes::FakeProgramInfo program_;
  fakes::FakeProgressWindow overviewProgress_;
  fakes::FakeTableWindow overviewWindow_;
  overview::LinkOverview overview_{
      {.files = disk, .probe = links, .progress = overviewProgress_, .window = overviewWindow_}};
  fakes::FakeFolderPicker picker_;
  link::LinkTargetChange targetChange_{{.dir1 = dir1, .dir2 = dir2},
                                       {.program = program_,
                                        .files = listed,
                                        .links = disk,
                                        .picker = picker_,
                                        .processes = processes,
                                        .messages = messages,
                                        .errors = errors,
                                        .clock = clock}};
  link::LinkCommands linkRows_{{.dir1 = dir1, .dir2 = dir2},
                               {.links = disk,
                                .probe = links,
                                .messages = messages,
                                .processes = processes,
                                .errors = errors,
                                .clock = clock,
                                .programPath = kProgram}};
  std::unique_ptr<app::RowMenu> menu_;
};

struct Row {
  int command;
  bool enabled;
  bool operator==(const Row&) const = default;
};

std::vector<Row> rowsOf(const std::vector<platform::MenuItem>& items) {
  std::vector<Row> rows;
  for (const auto& item : items) rows.push_back({item.command, item.enabled});
  return rows;
}

// The whole row menu in its order, the link commands of their own feature among the move's.
TEST(MoveMenu, ItemsAndGreyingFollowTheRowAndTheList) {
  const std::vector<Row> rightLinkMenu{{link::kCommandOpenTarget, true},
                                       {link::kCommandChangeTarget, true},
                                       {link::kCommandDeleteLink, true},
                                       {kCommandMoveBack, true},
                                       {kCommandOpenInExplorer, true}};
  std::vector<Row> linkMenu = rightLinkMenu;
  linkMenu.insert(linkMenu.begin() + 1, {link::kCommandPointAtRight, true});
  // A link in a place that stays (a profile folder itself) is not moved back over it.
  std::vector<Row> stayingLinkMenu = linkMenu;
  stayingLinkMenu[4].enabled = false;
  const struct {
    bool left;
    const wchar_t* folder;
    std::vector<Row> rows;
  } cases[] = {
      {true, L"C:\\Games\\Game", {{kCommandMoveAway, true}, {kCommandOpenInExplorer, true}}},
      {true, L"C:\\", {{kCommandMoveAway, false}, {kCommandOpenInExplorer, true}}},
      {true, L"D:\\Store\\Shelf", {{kCommandMoveAway, false}, {kCommandOpenInExplorer, true}}},
      {true, L"D:\\Store", {{kCommandMoveAway, false}, {kCommandOpenInExplorer, true}}},
      {true, L"D:\\Store\\Shelf\\Box", {{kCommandMoveAway, false}, {kCommandOpenInExplorer, true}}},
      {true, L"C:\\Games\\Linked", linkMenu},
      {true, L"C:\\Windows\\Fonts", {{kCommandMoveAway, false}, {kCommandOpenInExplorer, true}}},
      {true, L"C:\\Users\\me", stayingLinkMenu},
      {false, L"C:\\Games\\Linked", rightLinkMenu},
      // Its target gone: the same order, the target not to be opened.
      {false,
       L"C:\\Games\\Broken",
       {{link::kCommandOpenTarget, false},
        rightLinkMenu[1],
        rightLinkMenu[2],
        rightLinkMenu[3],
        rightLinkMenu[4]}},
      {false, L"C:\\Games\\Game", {{kCommandOpenInExplorer, true}}},
      {true, L"C:\\Games\\Gone", {}},
  };
  World w;
  w.handlers();
  w.disk.addFolder(L"C:\\Windows\\Fonts");
  w.disk.addFolder(L"D:\\Store\\Me");
  w.disk.addLink(L"C:\\Users\\me", L"D:\\Store\\Me");
  for (const auto& c : cases) {
    const auto& list = c.left ? w.dir1 : w.dir2;
    // The overview's item comes before 在资源管理器中打开 on every folder's row, a link's too.
    std::vector<Row> rows = c.rows;
    if (!rows.empty()) rows.insert(rows.end() - 1, {overview::kCommandLinksBelow, true});
    EXPECT_EQ(rowsOf(list.menuOf(c.folder)), rows) << (c.left ? "left " : "right ") << c.folder;
  }
  std::vector<std::wstring> texts;
  for (const auto& item : w.dir1.menuOf(L"C:\\Games\\Linked")) texts.push_back(item.text);
  EXPECT_EQ(texts, (std::vector<std::wstring>{L"打开链接目标", L"将链接改为指向右侧文件夹",
                                              L"更改链接目标…", L"删除链接（目标文件夹不受影响）",
                                              L"移回原处并删除链接", L"本文件夹中的链接…",
                                              L"在资源管理器中打开"}));
  EXPECT_EQ(w.dir1.menuOf(L"C:\\Games\\Game")[0].text, L"移动到右侧文件夹，并在原处创建链接");
}

TEST(MoveMenu, AGreyedOrForeignCommandDoesNothing) {
  World w;
  w.handlers();
  w.messages.answers = {true};
  w.dir1.choose(L"D:\\Store", kCommandMoveAway);
  w.dir2.choose(L"C:\\Games\\Game", kCommandMoveAway);  // not offered on the right
  w.dir1.choose(L"C:\\Games\\Game", link::kCommandDeleteLink);
  w.dir2.choose(L"C:\\Games\\Linked", link::kCommandPointAtRight);  // the left list's only
  w.dir1.choose(L"C:\\Games\\Broken", link::kCommandOpenTarget);
  EXPECT_TRUE(w.messages.shown.empty());
  EXPECT_EQ(w.dir1.path(), L"C:\\Games");
  EXPECT_EQ(w.progress.runs, 0);
  EXPECT_EQ(w.kindAt(L"C:\\Games\\Game"), EntryKind::Folder);
}

TEST(MoveAway, DoneLeavesALinkAndRefreshesBothLists) {
  World w;
  w.handlers();
  w.messages.answers = {true};
  const int changes1 = w.dir1.changes, changes2 = w.dir2.changes;
  w.dir1.choose(L"C:\\Games\\Game", kCommandMoveAway);
  ASSERT_EQ(w.messages.shown.size(), 2u);
  EXPECT_EQ(w.messages.shown[0],
            L"将把“C:\\Games\\Game”（2 个文件，18 B）移动到“D:\\Store\\Shelf”，"
            L"并在原处创建指向它的链接。是否继续？");
  EXPECT_EQ(w.messages.shown[1], L"移动完成，已在原处创建链接");
  EXPECT_EQ(w.kindAt(L"C:\\Games\\Game"), EntryKind::Link);
  EXPECT_EQ(w.disk.find(L"D:\\Store\\Shelf\\Game\\sub\\level.bin")->content, L"0123456789");
  EXPECT_EQ(w.dir1.changes, changes1 + 1);
  EXPECT_EQ(w.dir2.changes, changes2 + 1);
  ASSERT_FALSE(w.progress.reports.empty());
  const auto& last = w.progress.reports.back();
  EXPECT_EQ(last.permille, 1000u);
  EXPECT_EQ(last.counts, L"2 / 2 个文件，18 B / 18 B");
  EXPECT_TRUE(last.rate.ends_with(L"/秒，剩余约 0 秒"));
}

TEST(MoveAway, NoToTheQuestionOrARefusalTouchesNothing) {
  World w;
  w.handlers();
  w.dir1.choose(L"C:\\Games\\Game", kCommandMoveAway);  // answered No
  w.disk.addFolder(L"D:\\Store\\Shelf\\Game");
  w.dir1.choose(L"C:\\Games\\Game", kCommandMoveAway);
  ASSERT_EQ(w.messages.shown.size(), 2u);
  EXPECT_EQ(w.messages.shown[1], L"右侧文件夹中已存在同名文件夹");
  EXPECT_EQ(w.progress.runs, 0);
  EXPECT_EQ(w.kindAt(L"C:\\Games\\Game"), EntryKind::Folder);
}

TEST(MoveAway, CancelInTheMiddleChangesNothing) {
  World w;
  w.handlers();
  w.messages.answers = {true};
  w.progress.cancelAtReport = 2;
  w.dir1.choose(L"C:\\Games\\Game", kCommandMoveAway);
  ASSERT_EQ(w.messages.shown.size(), 2u);
  EXPECT_EQ(w.messages.shown[1], L"已取消，未做任何更改");
  EXPECT_EQ(w.kindAt(L"C:\\Games\\Game"), EntryKind::Folder);
  EXPECT_EQ(w.disk.find(L"C:\\Games\\Game\\save.dat")->content, L"progress");
  EXPECT_EQ(w.kindAt(L"D:\\Store\\Shelf\\Game"), EntryKind::Missing);
}

// A step refused for a file in use waits where it stands: the programs are named (today's text
// where none can be), Retry goes on from the journal once the file is free, Cancel undoes it all.
TEST(MoveAway, AFileInUseWaitsForRetryOrCancel) {
  using platform::RunningProcess;
  using Held = fakes::FakeMoveFileSystem::Held;
  const std::wstring steamLine =
      L"以下程序正在使用此文件夹，请先关闭它们：\r\nSteam（steam.exe，进程 77）\r\n\r\n"
      L"文件正在使用：C:\\Games\\Game\\save.dat";
  const struct {
    Held how;  // Windows refuses the first rename; Wine the copy, the folder already hidden
    bool named;
    bool retry;
    const wchar_t* asked;
    const wchar_t* end;
  } cases[] = {
      {Held::AgainstRename, false, true, L"文件正在使用：C:\\Games\\Game\\save.dat",
       L"移动完成，已在原处创建链接"},
      {Held::AgainstCopy, true, true, nullptr, L"移动完成，已在原处创建链接"},
      {Held::AgainstRename, true, false, nullptr, L"已取消，未做任何更改"},
      {Held::AgainstCopy, false, false, L"文件正在使用：C:\\Games\\Game\\save.dat",
       L"已取消，未做任何更改"},
  };
  for (const auto& c : cases) {
    World w;
    w.handlers();
    w.messages.answers = {true, c.retry};
    w.disk.holdOpen(L"C:\\Games\\Game\\save.dat", c.how);
    if (c.named) {
      w.programs.running = {{77, RunningProcess::Query::Answered, L"C:\\Steam\\steam.exe"}};
      w.programs.users.users = {{77, L"Steam", L""}};
    }
    bool boxSeen = false, waitedWithNothingUndone = false;
    w.messages.whileOpen = [&](const std::wstring&) {
      if (!std::exchange(boxSeen, true)) waitedWithNothingUndone = w.journalLeft();
      w.disk.holdOpen(L"");  // the program is closed while the box is open
    };
    w.dir1.choose(L"C:\\Games\\Game", kCommandMoveAway);
    ASSERT_EQ(w.messages.shown.size(), 3u);
    EXPECT_EQ(w.messages.shown[1], c.asked ? std::wstring(c.asked) : steamLine);
    EXPECT_TRUE(waitedWithNothingUndone) << "the journal stays while the box is open";
    EXPECT_EQ(w.messages.shown[2], c.end);
    EXPECT_FALSE(w.journalLeft());
    EXPECT_EQ(w.kindAt(L"C:\\Games\\Game"), c.retry ? EntryKind::Link : EntryKind::Folder);
    EXPECT_EQ(w.disk.find(L"C:\\Games\\Game\\save.dat")->content, L"progress");
    EXPECT_EQ(w.kindAt(L"C:\\Games\\Game.mirafold-moving"), EntryKind::Missing);
    EXPECT_EQ(w.kindAt(L"D:\\Store\\Shelf\\Game.mirafold-partial"), EntryKind::Missing);
  }
}

// Before the confirmation: a program running from inside the folder is named; Retry looks again
// (it was closed meanwhile) and goes on to the question, Cancel asks nothing more.
TEST(MoveAway, AProgramRunningFromTheFolderIsNamedBeforeTheQuestion) {
  for (const bool retry : {true, false}) {
    World w;
    w.handlers();
    w.programs.running = {
        {1234, platform::RunningProcess::Query::Answered, L"C:\\Games\\Game\\bin\\game.exe"}};
    w.messages.answers = {retry, true};
    w.messages.whileOpen = [&](const std::wstring&) { w.programs.running.clear(); };
    w.dir1.choose(L"C:\\Games\\Game", kCommandMoveAway);
    ASSERT_GE(w.messages.shown.size(), 1u);
    EXPECT_EQ(w.messages.shown[0],
              L"以下程序正在使用此文件夹，请先关闭它们：\r\ngame.exe（进程 1234）");
    EXPECT_EQ(w.messages.shown.size(), retry ? 3u : 1u);
    EXPECT_EQ(w.kindAt(L"C:\\Games\\Game"), retry ? EntryKind::Link : EntryKind::Folder);
  }
}

// The table of apps' places, read by the handler: a place is refused with its maker's advice
// before anything else is asked; a folder that holds one is warned in the question.
TEST(MoveAway, AnAppsPlaceIsRefusedOrWarned) {
  World w;
  w.handlers();
  w.disk.addFile(L"C:\\Users\\me\\AppData\\Local\\Packages\\App_x\\LocalState\\a.db", L"a");
  w.listed.addFolder(L"C:\\Users\\me\\AppData\\Local\\Packages");
  w.disk.addFile(L"C:\\Users\\me\\AppData\\Local\\Docker\\wsl\\disk\\docker_data.vhdx", L"d");
  w.listed.addFolder(L"C:\\Users\\me\\AppData\\Local\\Docker\\wsl");
  w.messages.answers = {false};
  w.handlers().choose(platform::ListSide::Left, L"C:\\Users\\me\\AppData\\Local\\Packages\\App_x",
                      kCommandMoveAway);
  // The profile's own AppData\Local stays put, so a folder that holds Docker's disk is warned.
  w.handlers().choose(platform::ListSide::Left, L"C:\\Users\\me\\AppData\\Local\\Docker",
                      kCommandMoveAway);
  ASSERT_EQ(w.messages.shown.size(), 2u);
  EXPECT_TRUE(w.messages.shown[0].starts_with(L"这是 Microsoft Store 应用的数据文件夹"));
  EXPECT_TRUE(w.messages.shown[0].ends_with(L"：C:\\Users\\me\\AppData\\Local\\Packages"));
  EXPECT_TRUE(w.messages.shown[1].starts_with(L"将把“C:\\Users\\me\\AppData\\Local\\Docker”"));
  EXPECT_NE(w.messages.shown[1].find(L"\r\n\r\n注意：这是 Docker Desktop 的磁盘映像文件夹"),
            std::wstring::npos)
      << std::string(w.messages.shown[1].begin(), w.messages.shown[1].end());
  EXPECT_EQ(w.progress.runs, 0);
}

// An app's folder that is itself a link elsewhere is found where it really is.
TEST(MoveAway, AnAppsPlaceMadeALinkIsFoundWhereItLeads) {
  World w;
  w.appFolders.oneDrive = {L"C:\\Users\\me\\OneDrive"};
  w.listed.addJunction(L"C:\\Users\\me\\OneDrive", L"D:\\OneDrive");
  w.disk.addFile(L"D:\\OneDrive\\Photos\\a.jpg", L"a");
  w.handlers().choose(platform::ListSide::Left, L"D:\\OneDrive\\Photos", kCommandMoveAway);
  ASSERT_EQ(w.messages.shown.size(), 1u);
  EXPECT_TRUE(w.messages.shown[0].starts_with(L"这是 OneDrive 文件夹"));
  EXPECT_EQ(w.kindAt(L"D:\\OneDrive\\Photos"), EntryKind::Folder);
}

// Every operation of a whole move away, planning included, counted on a fresh world.
long operationsOfAMove() {
  World w;
  w.handlers();
  w.messages.answers = {true};
  w.disk.resetFaults();
  w.dir1.choose(L"C:\\Games\\Game", kCommandMoveAway);
  return w.disk.operations();
}

// A move's last operations are its clean-up: one of them failing must leave the old folder, say
// where it is, and still leave the link.
TEST(MoveAway, AFailedCleanUpNamesTheOldFolder) {
  const long operations = operationsOfAMove();
  ASSERT_GT(operations, 6);
  bool named = false;
  for (long i = operations - 1; i >= operations - 6 && !named; --i) {
    World w;
    w.handlers();
    w.messages.answers = {true};
    w.disk.resetFaults();
    w.disk.failAt(i);
    w.dir1.choose(L"C:\\Games\\Game", kCommandMoveAway);
    ASSERT_EQ(w.messages.shown.size(), 2u);
    if (w.messages.shown[1] != L"移动完成，但旧文件夹未能删除：C:\\Games\\Game.mirafold-moving") {
      continue;
    }
    named = true;
    EXPECT_EQ(w.kindAt(L"C:\\Games\\Game"), EntryKind::Link);
    EXPECT_EQ(w.disk.find(L"D:\\Store\\Shelf\\Game\\save.dat")->content, L"progress");
  }
  EXPECT_TRUE(named) << "no failure in the clean-up named the old folder";
}

// Moving back, the link goes before the folder is hidden: a file held against that rename never
// leaves the user asked with the link's place empty (the program they close would save there).
TEST(LinkRows, MovingBackAFolderInUseNeverWaitsWithoutItsLink) {
  World w;
  w.handlers();
  w.disk.holdOpen(L"D:\\Store\\Linked\\kept.txt", fakes::FakeMoveFileSystem::Held::AgainstRename);
  w.messages.answers = {true, true};
  bool linkWhileAsked = true;
  w.messages.whileOpen = [&](const std::wstring&) {
    linkWhileAsked = linkWhileAsked && w.kindAt(L"C:\\Games\\Linked") == EntryKind::Link;
  };
  w.dir1.choose(L"C:\\Games\\Linked", kCommandMoveBack);
  EXPECT_TRUE(linkWhileAsked);
  EXPECT_EQ(w.kindAt(L"C:\\Games\\Linked"), EntryKind::Link);
  EXPECT_EQ(w.disk.find(L"D:\\Store\\Linked\\kept.txt")->content, L"kept");
  EXPECT_FALSE(w.journalLeft());
}

TEST(LinkRows, MoveBackAsksFirstAndOpenInExplorer) {
  World w;
  w.handlers();
  // No leaves it all as it was.
  w.messages.answers = {false};
  w.dir1.choose(L"C:\\Games\\Linked", kCommandMoveBack);
  EXPECT_EQ(w.messages.shown,
            (std::vector<std::wstring>{L"将把“D:\\Store\\Linked”（1 个文件，4 "
                                       L"B）移回“C:\\Games\\Linked”，并删除该链接。是否继续？"}));
  EXPECT_EQ(w.kindAt(L"C:\\Games\\Linked"), EntryKind::Link);

  w.messages.shown.clear();
  w.messages.answers = {true};
  w.dir1.choose(L"C:\\Games\\Linked", kCommandMoveBack);
  EXPECT_EQ(w.messages.shown.back(), L"已移回原处");
  EXPECT_EQ(w.kindAt(L"C:\\Games\\Linked"), EntryKind::Folder);
  EXPECT_EQ(w.disk.find(L"C:\\Games\\Linked\\kept.txt")->content, L"kept");
  EXPECT_EQ(w.kindAt(L"D:\\Store\\Linked"), EntryKind::Missing);

  w.dir2.choose(L"D:\\Store\\Shelf", kCommandOpenInExplorer);
  ASSERT_EQ(w.processes.started.size(), 1u);
  EXPECT_EQ(w.processes.started[0].commandLine, L"explorer.exe \"D:\\Store\\Shelf\"");
}

TEST(Recovery, ACrashedMoveIsAskedAboutAndCompleted) {
  World w;
  w.handlers();
  w.messages.answers = {true};
  w.disk.resetFaults();
  w.disk.crashAt(operationsOfAMove() / 2);
  EXPECT_THROW(w.dir1.choose(L"C:\\Games\\Game", kCommandMoveAway), fakes::SimulatedCrash);
  w.disk.resetFaults();

  w.messages.shown.clear();
  w.messages.answers = {true};
  w.handlers().recoverUnfinishedMoves();
  ASSERT_EQ(w.messages.shown.size(), 2u);
  EXPECT_EQ(
      w.messages.shown[0],
      L"上次的移动未完成：C:\\Games\\Game → D:\\Store\\Shelf\\Game。是否完成它？（选“否”则撤销）");
  EXPECT_EQ(w.messages.shown[1], L"移动完成，已在原处创建链接");
  EXPECT_EQ(w.kindAt(L"C:\\Games\\Game"), EntryKind::Link);
  EXPECT_EQ(w.disk.find(L"D:\\Store\\Shelf\\Game\\save.dat")->content, L"progress");

  w.messages.shown.clear();
  w.handlers().recoverUnfinishedMoves();  // nothing left to ask
  EXPECT_TRUE(w.messages.shown.empty());
}

// Finishing a crashed move waits on a file in use as a fresh move does, and Retry finishes it.
TEST(Recovery, AFileInUseWhileFinishingWaitsForRetry) {
  World w;
  w.handlers();
  w.messages.answers = {true};
  w.disk.resetFaults();
  w.disk.crashAt(operationsOfAMove() / 2);
  EXPECT_THROW(w.dir1.choose(L"C:\\Games\\Game", kCommandMoveAway), fakes::SimulatedCrash);
  w.disk.resetFaults();
  ASSERT_EQ(w.kindAt(L"C:\\Games\\Game.mirafold-moving"), EntryKind::Folder);
  w.disk.holdOpen(L"C:\\Games\\Game.mirafold-moving\\save.dat",
                  fakes::FakeMoveFileSystem::Held::AgainstCopy);
  w.messages.shown.clear();
  w.messages.answers = {true, true};
  w.messages.whileOpen = [&](const std::wstring&) { w.disk.holdOpen(L""); };
  w.handlers().recoverUnfinishedMoves();
  ASSERT_EQ(w.messages.shown.size(), 3u);
  EXPECT_EQ(w.messages.shown[1], L"文件正在使用：C:\\Games\\Game\\save.dat");
  EXPECT_EQ(w.messages.shown[2], L"移动完成，已在原处创建链接");
  EXPECT_EQ(w.disk.find(L"D:\\Store\\Shelf\\Game\\save.dat")->content, L"progress");
  EXPECT_FALSE(w.journalLeft());
}

// C:\Games refuses to let its folders be renamed, as C:\Program Files does to a user without
// administrator rights: the move undoes itself and offers to go again as administrator.
TEST(Rights, ARefusedMoveIsOfferedAsAdministratorAndEveryAnswerKeepsItsWord) {
  using Consent = fakes::FakeProcesses::Consent;
  const std::wstring refusedInTurn = L"移动失败：access denied。未做任何更改";
  const struct {
    const char* what;
    bool yes;
    Consent consent;
    bool rights;  // the helper's, once started
    std::wstring end;
    EntryKind game;
  } cases[] = {
      {"No", false, Consent::Given, true, std::wstring(kCancelledNothingChanged),
       EntryKind::Folder},
      {"consent declined", true, Consent::Declined, true, std::wstring(kCancelledNothingChanged),
       EntryKind::Folder},
      {"helper not started", true, Consent::Fails, true,
       L"移动失败：未能以管理员身份运行：error 2。未做任何更改", EntryKind::Folder},
      {"helper refused in turn", true, Consent::Given, false, refusedInTurn, EntryKind::Folder},
      {"No in the helper's own box", true, Consent::Given, true, std::wstring(kHelperNotAgreed),
       EntryKind::Folder},
      {"moved by the helper", true, Consent::Given, true, std::wstring(kMoveDone), EntryKind::Link},
      {"another process connects first", true, Consent::Given, true, std::wstring(kMoveDone),
       EntryKind::Link},
  };
  for (const auto& c : cases) {
    World w;
    w.handlers();
    w.disk.refuseChangesIn(L"C:\\Games");
    w.messages.answers = {true, c.yes};
    w.processes.consent = c.consent;
    w.pipes.impostorFirst = std::string_view(c.what) == "another process connects first";
    w.helperAgrees = std::string_view(c.what) != "No in the helper's own box";
    w.helperRuns(c.rights);
    w.dir1.choose(L"C:\\Games\\Game", kCommandMoveAway);
    if (w.helper.joinable()) w.helper.join();
    ASSERT_EQ(w.messages.shown.size(), 3u) << c.what;
    EXPECT_EQ(w.messages.shown[1], L"移动失败：权限不足。是否以管理员身份重新移动？") << c.what;
    EXPECT_EQ(w.messages.shown[2], c.end) << c.what;
    EXPECT_EQ(w.processes.elevated.size(), c.yes ? 1u : 0u) << c.what;
    EXPECT_EQ(w.kindAt(L"C:\\Games\\Game"), c.game) << c.what;
    EXPECT_EQ(w.disk.find(L"C:\\Games\\Game\\save.dat")->content, L"progress") << c.what;
    EXPECT_FALSE(w.journalLeft()) << c.what;
    if (c.game == EntryKind::Folder) {
      EXPECT_EQ(w.kindAt(L"D:\\Store\\Shelf\\Game"), EntryKind::Missing) << c.what;
    }
  }
}

// The helper's progress reaches the window's progress window, and its 取消 the helper.
TEST(Rights, TheHelperFeedsTheProgressWindowAndTakesItsCancel) {
  for (const bool cancel : {false, true}) {
    World w;
    w.handlers();
    w.disk.refuseChangesIn(L"C:\\Games");
    w.messages.answers = {true, true};
    w.helperRuns(true);
    if (cancel) {
      w.progress.cancelAtReport = 2;
      w.pipes.holdHelperAt = 3;
      w.pipes.holdHelperUntil = "cancel";
    }
    w.dir1.choose(L"C:\\Games\\Game", kCommandMoveAway);
    w.helper.join();
    ASSERT_EQ(w.processes.elevated.size(), 1u);
    EXPECT_EQ(w.processes.elevated[0].program, World::kProgram);
    EXPECT_TRUE(w.processes.elevated[0].parameters.starts_with(L"\"--elevated-move\" \"move\" "));
    EXPECT_EQ(w.messages.shown.back(), cancel ? kCancelledNothingChanged : kMoveDone);
    EXPECT_EQ(w.kindAt(L"C:\\Games\\Game"), cancel ? EntryKind::Folder : EntryKind::Link);
    EXPECT_FALSE(w.journalLeft());
    if (!cancel) {
      ASSERT_GT(w.progress.reports.size(), 1u);
      EXPECT_EQ(w.progress.reports.back().counts, L"2 / 2 个文件，18 B / 18 B");
    }
  }
}

// The user's journal, which any of the user's programs may write, is recovered with the user's
// rights only; a move the helper began is ended by the helper, from its own journal.
TEST(Rights, OnlyTheHelpersOwnJournalIsRecoveredAsAdministrator) {
  World w;
  w.handlers();
  w.messages.answers = {true};
  w.disk.crashAt(operationsOfAMove() / 2);
  EXPECT_THROW(w.dir1.choose(L"C:\\Games\\Game", kCommandMoveAway), fakes::SimulatedCrash);
  w.disk.resetFaults();
  w.disk.refuseChangesIn(L"C:\\Games");
  w.messages.shown.clear();
  w.messages.answers = {true, true};
  w.helperRuns(true);
  w.handlers().recoverUnfinishedMoves();
  EXPECT_TRUE(w.processes.elevated.empty()) << "the user's journal never reaches the helper";
  EXPECT_EQ(w.messages.shown.size(), 2u);
  EXPECT_TRUE(w.journalLeft());

  World h;
  h.handlers();
  const MovePlan plan{Direction::Away, L"C:\\Games\\Game", L"D:\\Store\\Shelf\\Game", false, 0};
  h.disk.writeJournal(journalPathFor(World::kHelperJournals, plan),
                      journalText({plan, Phase::Hide}));
  h.disk.refuseChangesIn(L"C:\\Games");
  h.messages.answers = {true};
  h.helperRuns(true);
  h.handlers().recoverUnfinishedMoves();
  if (h.helper.joinable()) h.helper.join();
  ASSERT_EQ(h.processes.elevated.size(), 1u);
  EXPECT_TRUE(h.processes.elevated[0].parameters.starts_with(L"\"--elevated-move\" \"complete\" "));
  EXPECT_EQ(h.messages.shown.back(), kMoveDone);
  EXPECT_EQ(h.kindAt(L"C:\\Games\\Game"), EntryKind::Link);
  EXPECT_FALSE(h.journalLeft());
}

// Three folders queued beside C:\Games\Game, which moves first.
struct QueueWorld : World {
  QueueWorld() {
    disk.addFile(L"C:\\Games\\Tools\\run.exe", L"tool");
    disk.addFile(L"C:\\Games\\Music\\song.mp3", L"la la");
    handlers();
  }
  void move(std::vector<std::wstring> folders = {L"C:\\Games\\Game", L"C:\\Games\\Tools",
                                                 L"C:\\Games\\Music"}) {
    handlers().moveFoldersInto(folders, L"D:\\Store\\Shelf");
  }
  std::vector<std::wstring> titles() const {
    std::vector<std::wstring> seen;
    for (const auto& report : progress.reports) {
      if (seen.empty() || seen.back() != report.title) seen.push_back(report.title);
    }
    return seen;
  }
};

// The second move fails (a file in it is held open): the first and the third are whole at the
// destination, the second whole at home, and the end names each outcome in the move's words.
TEST(MoveQueue, TheSecondFailingNeitherStopsNorUndoesTheOthers) {
  QueueWorld w;
  w.disk.holdOpen(L"C:\\Games\\Tools\\run.exe");
  w.messages.answers = {true};
  w.move();
  ASSERT_EQ(w.messages.shown.size(), 2u);
  EXPECT_EQ(w.messages.shown[0],
            L"将把 3 个文件夹（4 个文件，27 B）移动到“D:\\Store\\Shelf”，"
            L"并在原处创建指向它们的链接。是否继续？");
  EXPECT_EQ(
      w.messages.shown[1],
      L"已移动 2 / 3 个文件夹：\r\n"
      L"“C:\\Games\\Game”：移动完成，已在原处创建链接\r\n"
      L"“C:\\Games\\Tools”：移动失败：文件正在使用：C:\\Games\\Tools\\run.exe。未做任何更改\r\n"
      L"“C:\\Games\\Music”：移动完成，已在原处创建链接");
  EXPECT_EQ(w.kindAt(L"C:\\Games\\Game"), EntryKind::Link);
  EXPECT_EQ(w.disk.find(L"D:\\Store\\Shelf\\Game\\sub\\level.bin")->content, L"0123456789");
  EXPECT_EQ(w.kindAt(L"C:\\Games\\Music"), EntryKind::Link);
  EXPECT_EQ(w.disk.find(L"D:\\Store\\Shelf\\Music\\song.mp3")->content, L"la la");
  EXPECT_EQ(w.kindAt(L"C:\\Games\\Tools"), EntryKind::Folder);
  EXPECT_EQ(w.disk.find(L"C:\\Games\\Tools\\run.exe")->content, L"tool");
  EXPECT_EQ(w.kindAt(L"D:\\Store\\Shelf\\Tools"), EntryKind::Missing);
  EXPECT_FALSE(w.journalLeft());
  // One window, its title naming each move in turn; its counts what moved.
  EXPECT_EQ(w.progress.runs, 1);
  EXPECT_EQ(w.titles(),
            (std::vector<std::wstring>{L"正在移动 1 / 3：Game", L"正在移动 2 / 3：Tools",
                                       L"正在移动 3 / 3：Music"}));
  EXPECT_EQ(w.progress.reports.back().counts, L"3 / 3 个文件，23 B / 23 B");
}

// 取消 during the second move undoes it as a single move's cancel does; the third never starts.
// A folder the rules refuse is named in the question and at the end, and never joins the queue;
// what a move's own confirmation would add is said of its folder.
TEST(MoveQueue, CancelStopsTheMoveUnderWayAndStartsNoOther) {
  std::size_t secondMove = 0;
  {
    QueueWorld w;
    w.messages.answers = {true};
    w.move();
    const auto& reports = w.progress.reports;
    secondMove = static_cast<std::size_t>(
        std::find_if(reports.begin(), reports.end(),
                     [](const auto& r) { return r.title == L"正在移动 2 / 3：Tools"; }) -
        reports.begin());
    ASSERT_LT(secondMove + 2, reports.size());
  }
  QueueWorld w;
  w.disk.giveNames(L"C:\\Games\\Music\\song.mp3", 2);
  w.messages.answers = {true};
  w.progress.cancelAtReport = secondMove + 2;
  w.move({L"C:\\Games\\Game", L"C:\\Games\\Linked", L"C:\\Games\\Tools", L"C:\\Games\\Music"});
  ASSERT_EQ(w.messages.shown.size(), 2u);
  EXPECT_TRUE(w.messages.shown[0].ends_with(
      L"是否继续？\r\n\r\n以下文件夹不会移动：\r\n“C:\\Games\\Linked”：该文件夹本身就是链接\r\n\r\n"
      L"“C:\\Games\\Music”：其中 1 个文件有多个名称（硬链接），移动后将各自成为独立的文件"));
  EXPECT_EQ(w.messages.shown[1],
            L"已移动 1 / 4 个文件夹：\r\n"
            L"“C:\\Games\\Game”：移动完成，已在原处创建链接\r\n"
            L"“C:\\Games\\Tools”：已取消，未做任何更改\r\n"
            L"“C:\\Games\\Music”：未开始\r\n"
            L"“C:\\Games\\Linked”：该文件夹本身就是链接");
  EXPECT_EQ(w.kindAt(L"C:\\Games\\Game"), EntryKind::Link);
  EXPECT_EQ(w.disk.find(L"C:\\Games\\Tools\\run.exe")->content, L"tool");
  EXPECT_EQ(w.kindAt(L"D:\\Store\\Shelf\\Tools.mirafold-partial"), EntryKind::Missing);
  EXPECT_EQ(w.disk.find(L"C:\\Games\\Music\\song.mp3")->content, L"la la");
  EXPECT_EQ(w.kindAt(L"C:\\Games\\Linked"), EntryKind::Link);
  EXPECT_FALSE(w.journalLeft());
}

// Killed in the second move: the next start asks about that move as about any, then names the
// queue's folder that was not started; a later start says nothing more.
TEST(MoveQueue, AKillMidQueueIsRecoveredAndTheFolderNotStartedNamed) {
  QueueWorld w;
  w.messages.answers = {true};
  w.progress.onReport = [&](const platform::ProgressView& view) {
    if (view.title == L"正在移动 2 / 3：Tools") w.disk.crashAt(w.disk.operations() + 12);
  };
  EXPECT_THROW(w.move(), fakes::SimulatedCrash);
  w.disk.resetFaults();
  w.messages.shown.clear();
  w.messages.answers = {true};
  w.handlers().recoverUnfinishedMoves();
  EXPECT_EQ(w.messages.shown,
            (std::vector<std::wstring>{
                L"上次的移动未完成：C:\\Games\\Tools → D:\\Store\\Shelf\\Tools。是否完成它？"
                L"（选“否”则撤销）",
                L"移动完成，已在原处创建链接",
                L"上次的移动队列未完成。\r\n已移动（原处已创建链接）：\r\nC:\\Games\\Game\r\n"
                L"未移动：\r\nC:\\Games\\Music"}));
  EXPECT_EQ(w.kindAt(L"C:\\Games\\Game"), EntryKind::Link);
  EXPECT_EQ(w.disk.find(L"D:\\Store\\Shelf\\Tools\\run.exe")->content, L"tool");
  EXPECT_EQ(w.disk.find(L"C:\\Games\\Music\\song.mp3")->content, L"la la");
  EXPECT_FALSE(w.journalLeft());
  w.messages.shown.clear();
  w.handlers().recoverUnfinishedMoves();
  EXPECT_TRUE(w.messages.shown.empty());
}

// A folder refused for want of rights is undone as any failure, and its line says the road to the
// administrator's offer: moving it alone.
TEST(MoveQueue, AFolderRefusedForRightsIsToldToMoveAlone) {
  QueueWorld w;
  w.disk.refuseChangesIn(L"C:\\Games");
  w.messages.answers = {true};
  w.move();
  const std::wstring& end = w.messages.shown.back();
  const std::wstring alone = std::wstring(kQueueAloneForRights) + L"\r\n";
  EXPECT_TRUE(end.starts_with(L"已移动 0 / 3 个文件夹：")) << end.size();
  EXPECT_NE(end.find(alone + L"“C:\\Games\\Tools”"), std::wstring::npos);
  EXPECT_NE(end.find(alone + L"“C:\\Games\\Music”"), std::wstring::npos);
  EXPECT_TRUE(end.ends_with(kQueueAloneForRights));
  EXPECT_TRUE(w.processes.elevated.empty());
  EXPECT_EQ(w.kindAt(L"C:\\Games\\Tools"), EntryKind::Folder);
}

// One road that moves at a time. The queue's progress window serves every window of the thread,
// and another window of the program may start meanwhile: a second road from inside the queue is
// refused before it asks anything; the other window's start says nothing and leaves the queue's
// journals to it, and its move is refused; once the queue has ended, moves start again.
TEST(MoveQueue, NoSecondRoadStartsWhileOneRuns) {
  QueueWorld w;
  MoveHandlers other({.dir1 = w.dir1, .dir2 = w.dir2}, w.services());
  w.messages.answers = {true};
  bool tried = false;
  w.progress.onReport = [&](const platform::ProgressView&) {
    if (std::exchange(tried, true)) return;
    w.handlers().moveFoldersInto({L"C:\\Games\\Tools", L"C:\\Games\\Music"}, L"D:\\Store\\Shelf");
    w.handlers().choose(platform::ListSide::Left, L"C:\\Games\\Music", kCommandMoveAway);
    other.recoverUnfinishedMoves();
    other.moveFoldersInto({L"C:\\Games\\Music"}, L"D:\\Store\\Shelf");
  };
  w.move();
  const std::wstring refused(kAnotherMoveUnderWay);
  ASSERT_EQ(w.messages.shown.size(), 5u);
  EXPECT_EQ(std::vector(w.messages.shown.begin() + 1, w.messages.shown.end() - 1),
            (std::vector{refused, refused, refused}));
  EXPECT_TRUE(w.messages.shown.back().starts_with(L"已移动 3 / 3 个文件夹："));
  for (const auto* folder : {L"C:\\Games\\Game", L"C:\\Games\\Tools", L"C:\\Games\\Music"}) {
    EXPECT_EQ(w.kindAt(folder), EntryKind::Link);
  }
  EXPECT_FALSE(w.journalLeft());
  EXPECT_FALSE(w.lock.held());
}

// What a queue's journal may name, read at the next start: plain folders on local drives, at most
// kMostQueuedFolders of them; a journal naming anything else is not ours and names nothing.
TEST(MoveQueue, AQueuesJournalNamesOnlyPlainLocalFolders) {
  const auto named = [](const std::vector<std::wstring>& folders) {
    fakes::FakeMoveFileSystem disk;
    disk.addVolume(L'C');
    std::wstring text = L"mirafold-queue 1\n";
    for (const std::wstring& folder : folders) text += L"folder=" + folder + L"\n";
    disk.addFile(L"C:\\Journals\\moves.queue", text + L"end\n");
    return findUnfinishedQueue(disk, L"C:\\Journals").value().folders;
  };
  const std::wstring plain = L"C:\\Games\\Game";
  EXPECT_EQ(named({plain, L"D:\\Store\\Tools"}),
            (std::vector<std::wstring>{plain, L"D:\\Store\\Tools"}));
  for (const wchar_t* folder :
       {L"Games\\Game", L"C:\\Games\\..\\Windows", L"\\\\server\\share\\Game", L"\\\\.\\C:\\Game",
        L"\\\\?\\GLOBALROOT\\Device\\Game", L"\\\\?\\C:\\Game", L"C:\\Games\\G*",
        L"C:\\Games\\Game\r", L"C:\\Games\\Game:stream", L"C:/Games/Game", L""}) {
    EXPECT_TRUE(named({plain, folder}).empty()) << std::wstring(folder).size();
  }
  EXPECT_EQ(named(std::vector(kMostQueuedFolders, plain)).size(), kMostQueuedFolders);
  EXPECT_TRUE(named(std::vector(kMostQueuedFolders + 1, plain)).empty());
}

}  // namespace
}  // namespace mirafold::move

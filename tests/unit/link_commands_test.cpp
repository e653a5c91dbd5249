#include <gtest/gtest.h>

#include "fakes/fake_controls.h"
#include "fakes/fake_link_probe.h"
#include "fakes/fake_move_file_system.h"
#include "fakes/fake_system.h"
#include "fakes/stepping_clock.h"
#include "link/link_commands.h"

namespace mirafold::link {
namespace {

using platform::EntryKind;
using platform::ListSide;

// C:\Games\Linked is a link to D:\Store\Linked, C:\Games\Broken one to a folder that is gone,
// C:\Games\Other one to D:\Store\Shelf; the left list shows C:\Games, the right D:\Store\Shelf.
struct World {
  World() {
    disk.addVolume(L'C');
    disk.addVolume(L'D');
    disk.addFolder(L"C:\\Games\\Real");
    disk.addFolder(L"D:\\Store\\Shelf\\Box");
    disk.addFile(L"D:\\Store\\Linked\\kept.txt", L"kept");
    disk.addLink(L"C:\\Games\\Linked", L"D:\\Store\\Linked");
    disk.addLink(L"C:\\Games\\Broken", L"D:\\Store\\Gone");
    disk.addLink(L"C:\\Games\\Other", L"D:\\Store\\Shelf");
    for (const auto* folder : {L"C:\\", L"C:\\Games", L"D:\\", L"D:\\Store", L"D:\\Store\\Shelf",
                               L"D:\\Store\\Linked"}) {
      listed.addFolder(folder);
    }
  }
  EntryKind kindAt(const std::wstring& path) const {
    const auto* node = disk.find(path);
    return node ? node->kind : EntryKind::Missing;
  }

  fakes::FakeMoveFileSystem disk;
  fakes::FakeFileSystem listed;
  fakes::FakeFolderList dir1{listed, L"C:\\Games"}, dir2{listed, L"D:\\Store\\Shelf"};
  fakes::DiskLinkProbe probe{disk};
  fakes::FakeMessageBoxes messages;
  fakes::FakeProcesses processes;
  fakes::FakeErrorTexts errors;
  fakes::SteppingClock clock;
  LinkCommands commands{{.dir1 = dir1, .dir2 = dir2},
                        {.links = disk,
                         .probe = probe,
                         .messages = messages,
                         .processes = processes,
                         .errors = errors,
                         .clock = clock,
                         .programPath = L"D:\\Tools\\mirafold.exe"}};
};

TEST(LinkCommands, OfferedOnLinksOnlyAndOpenGreyedWhenTheTargetIsGone) {
  World w;
  const auto rows = [&](const wchar_t* folder) {
    std::vector<std::pair<int, bool>> out;
    for (const auto& item : w.commands.menuFor(ListSide::Right, folder)) {
      out.emplace_back(item.command, item.enabled);
    }
    return out;
  };
  using Rows = std::vector<std::pair<int, bool>>;
  EXPECT_EQ(rows(L"C:\\Games\\Linked"),
            (Rows{{kCommandOpenTarget, true}, {kCommandDeleteLink, true}}));
  EXPECT_EQ(rows(L"C:\\Games\\Broken"),
            (Rows{{kCommandOpenTarget, false}, {kCommandDeleteLink, true}}));
  EXPECT_EQ(rows(L"C:\\Games\\Real"), Rows{});
  EXPECT_EQ(rows(L"C:\\Games\\Gone"), Rows{});

  // A greyed or absent command does nothing, however it arrives.
  w.messages.answers = {true};
  w.commands.choose(ListSide::Left, L"C:\\Games\\Broken", kCommandOpenTarget);
  w.commands.choose(ListSide::Left, L"C:\\Games\\Real", kCommandDeleteLink);
  EXPECT_TRUE(w.messages.shown.empty());
  EXPECT_EQ(w.dir1.path(), L"C:\\Games");
  EXPECT_EQ(w.kindAt(L"C:\\Games\\Real"), EntryKind::Folder);
}

TEST(LinkCommands, OpenShowsTheTargetAndDeleteAsksFirstAndKeepsTheTarget) {
  World w;
  w.commands.choose(ListSide::Right, L"C:\\Games\\Linked", kCommandOpenTarget);
  EXPECT_EQ(w.dir2.path(), L"D:\\Store\\Linked");
  EXPECT_EQ(w.dir1.path(), L"C:\\Games");

  w.messages.answers = {false};
  w.commands.choose(ListSide::Left, L"C:\\Games\\Other", kCommandDeleteLink);
  EXPECT_EQ(w.messages.shown,
            (std::vector<std::wstring>{L"将删除链接“C:\\Games\\Other”（指向“D:\\Store\\Shelf”），"
                                       L"目标文件夹及其中的文件不受影响。是否继续？"}));
  EXPECT_EQ(w.kindAt(L"C:\\Games\\Other"), EntryKind::Link);

  w.messages.answers = {true};
  w.commands.choose(ListSide::Left, L"C:\\Games\\Other", kCommandDeleteLink);
  EXPECT_EQ(w.kindAt(L"C:\\Games\\Other"), EntryKind::Missing);
  EXPECT_EQ(w.kindAt(L"D:\\Store\\Shelf\\Box"), EntryKind::Folder);
}

TEST(LinkCommands, ALinkInAFolderThatRefusesIsDeletedByTheToolAsAdministrator) {
  World w;
  w.disk.refuseChangesIn(L"C:\\Games");
  w.messages.answers = {true, true};
  w.processes.onElevated = [&](const fakes::ElevatedRun&) {
    w.processes.kept(w.processes.keptCount() - 1)->exitCode = 5;
  };
  w.commands.choose(ListSide::Left, L"C:\\Games\\Other", kCommandDeleteLink);
  ASSERT_EQ(w.processes.elevated.size(), 1u);
  EXPECT_EQ(w.processes.elevated[0].program, L"D:\\Tools\\junction.exe");
  EXPECT_EQ(w.processes.elevated[0].parameters, L"\"-d\" \"C:\\Games\\Other\"");
  // The tool's failure is told in its own words.
  ASSERT_EQ(w.messages.shown.size(), 3u);
  EXPECT_EQ(w.messages.shown[1], L"删除链接失败：权限不足。是否以管理员身份重试？");
  EXPECT_EQ(w.messages.shown[2], L"删除链接失败：" + w.errors.describe(5));
}

}  // namespace
}  // namespace mirafold::link

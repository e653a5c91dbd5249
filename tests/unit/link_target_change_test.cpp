#include <gtest/gtest.h>

#include <deque>
#include <optional>

#include "fakes/fake_controls.h"
#include "fakes/fake_folder_picker.h"
#include "fakes/fake_move_file_system.h"
#include "fakes/fake_system.h"
#include "fakes/stepping_clock.h"
#include "link/link_target_change.h"
#include "link/tool.h"

namespace mirafold::link {
namespace {

using platform::ListSide;

constexpr std::uint32_t kNeverEnds = 0xFFFFFFFF;

// The tool started by the road: each run ends with the next of `codes`, and one ending with 0
// makes the link lead where it was told.
class FakeTool : public fakes::FakeProcesses {
 public:
  std::unique_ptr<platform::Process> startKept(const std::wstring& commandLine,
                                               platform::WindowShow show) override {
    auto process = FakeProcesses::startKept(commandLine, show);
    if (process) end();
    return process;
  }
  platform::ElevatedStart startElevated(const std::wstring& program, const std::wstring& parameters,
                                        platform::WindowShow show) override {
    auto run = FakeProcesses::startElevated(program, parameters, show);
    if (run.process) end();
    return run;
  }
  std::deque<std::uint32_t> codes;
  std::function<void()> changes;  // what a run ending with 0 does on the disk

 private:
  void end() {
    const std::uint32_t code = codes.empty() ? 0 : codes.front();
    if (!codes.empty()) codes.pop_front();
    if (code != kNeverEnds) kept(keptCount() - 1)->exitCode = code;
    if (code == 0 && changes) changes();
  }
};

// C:\Games\Linked is a junction to D:\Store\Old; the right list shows D:\Store\New.
struct World {
  World() {
    for (const auto* f :
         {L"C:\\", L"C:\\Games", L"C:\\Games\\Real", L"C:\\Games\\Linked\\Sub", L"D:\\",
          L"D:\\Store", L"D:\\Store\\Old", L"D:\\Store\\New", L"N:\\Share"}) {
      files.addFolder(f);
    }
    files.addFile(L"D:\\Tools\\junction.exe");
    files.addJunction(L"C:\\Games\\Linked", L"D:\\Store\\Old");
    files.networkDrives = L"N";
    disk.addVolume(L'C');
    disk.addVolume(L'D');
    disk.addFolder(L"C:\\Games\\Real");
    disk.addFolder(L"D:\\Store\\Old");
    disk.addLink(L"C:\\Games\\Linked", L"D:\\Store\\Old");
    disk.addLink(L"C:\\Games\\Symbolic", L"D:\\Store\\Old", 0xA000000C);
    tool.changes = [this] { files.addJunction(L"C:\\Games\\Linked", L"D:\\Store\\New"); };
  }
  std::wstring leadsTo() const { return files.resolvedPath(L"C:\\Games\\Linked"); }

  fakes::FakeFileSystem files;
  fakes::FakeMoveFileSystem disk;
  fakes::FakeFolderList dir1{files, L"C:\\Games"};
  fakes::FakeFolderList dir2{files, L"D:\\Store\\New"};
  fakes::FakeProgramInfo program;
  fakes::FakeFolderPicker picker;
  FakeTool tool;
  fakes::FakeMessageBoxes messages;
  fakes::FakeErrorTexts errors;
  fakes::SteppingClock clock;
  LinkTargetChange change{{.dir1 = dir1, .dir2 = dir2},
                          {.program = program,
                           .files = files,
                           .links = disk,
                           .picker = picker,
                           .processes = tool,
                           .messages = messages,
                           .errors = errors,
                           .clock = clock}};
};

TEST(LinkTargetMenu, OffersTheChangeOnAJunctionsRowOnly) {
  World w;
  const auto commands = [&](ListSide side, const wchar_t* folder) {
    std::vector<int> ids;
    for (const auto& item : w.change.menuFor(side, folder)) ids.push_back(item.command);
    return ids;
  };
  EXPECT_EQ(commands(ListSide::Left, L"C:\\Games\\Linked"),
            (std::vector<int>{kCommandPointAtRight, kCommandChangeTarget}));
  EXPECT_EQ(commands(ListSide::Right, L"C:\\Games\\Linked"),
            (std::vector<int>{kCommandChangeTarget}));
  EXPECT_TRUE(commands(ListSide::Left, L"C:\\Games\\Symbolic").empty());
  EXPECT_TRUE(commands(ListSide::Left, L"C:\\Games\\Real").empty());
}

constexpr const wchar_t* kConfirm =
    L"将把链接“C:\\Games\\Linked”改为指向“D:\\Store\\New”（原为“D:\\Store\\Old”）。是否继续？";
constexpr const wchar_t* kAskRights = L"更改链接目标失败：权限不足。是否以管理员身份重试？";
constexpr const wchar_t* kChanged = L"链接目标已更改";

struct Road {
  const char* what;
  std::optional<std::wstring> picked;  // nothing: the right-hand folder, no picker
  std::deque<bool> answers;
  std::deque<std::uint32_t> codes;
  std::vector<std::wstring> shown;
  bool changed;
  std::size_t elevated = 0;
  void (*prepare)(World&) = nullptr;
  friend void PrintTo(const Road& road, std::ostream* os) { *os << road.what; }
};

class ChangeRoad : public testing::TestWithParam<Road> {};

TEST_P(ChangeRoad, AsksChecksRunsTheToolAndTellsTheEnd) {
  const Road& road = GetParam();
  World w;
  w.picker.answer = road.picked;
  if (road.prepare) road.prepare(w);
  w.messages.answers = road.answers;
  w.tool.codes = road.codes;
  const int changes = w.dir1.changes;
  if (road.picked) {
    w.change.changeLinkTarget(L"C:\\Games\\Linked");
    EXPECT_EQ(w.picker.asked, (std::vector<std::wstring>{L"选择链接的新目标 @ D:\\Store\\Old"}));
  } else {
    w.change.choose(ListSide::Left, L"C:\\Games\\Linked", kCommandPointAtRight);
  }
  EXPECT_EQ(w.messages.shown, road.shown) << road.what;
  EXPECT_EQ(w.leadsTo(), road.changed ? L"D:\\Store\\New" : L"D:\\Store\\Old") << road.what;
  EXPECT_EQ(w.tool.elevated.size(), road.elevated) << road.what;
  for (const auto& run : w.tool.elevated) {
    EXPECT_EQ(run.program, L"D:\\Tools\\junction.exe");
    EXPECT_EQ(run.parameters, L"\"-r\" \"C:\\Games\\Linked\" \"D:\\Store\\New\"");
  }
  if (!w.tool.started.empty()) {
    EXPECT_EQ(w.tool.started[0].commandLine,
              L"D:\\Tools\\junction.exe \"-r\" \"C:\\Games\\Linked\" \"D:\\Store\\New\"");
    EXPECT_GT(w.dir1.changes, changes) << "the lists show the end";
  }
  for (std::size_t i = 0; i < w.tool.keptCount(); ++i) EXPECT_TRUE(w.tool.kept(i)->closed);
}

std::wstring failed(const std::wstring& why) { return L"更改失败：" + why + L"。链接未改变"; }

INSTANTIATE_TEST_SUITE_P(
    EveryAnswer, ChangeRoad,
    testing::Values(
        Road{"yes", std::nullopt, {true}, {0}, {kConfirm, kChanged}, true},
        Road{"yes, through the picker", L"D:\\Store\\New", {true}, {0}, {kConfirm, kChanged}, true},
        Road{"no", std::nullopt, {false}, {}, {kConfirm}, false},
        Road{"the picker cancelled",
             L"",
             {},
             {},
             {},
             false,
             0,
             [](World& w) { w.picker.answer.reset(); }},
        Road{"no tool",
             std::nullopt,
             {true},
             {},
             {std::wstring(kToolMissing)},
             false,
             0,
             [](World& w) { w.files.remove(L"D:\\Tools\\junction.exe"); }},
        Road{"target missing", L"D:\\Store\\Gone", {}, {}, {failed(L"链接目标不存在")}, false},
        Road{"target on the network",
             L"N:\\Share",
             {},
             {},
             {failed(L"链接目标不可位于网络位置")},
             false},
        Road{"a drive root", L"D:\\", {}, {}, {failed(L"不可将根目录作为链接目标")}, false},
        Road{"the link inside the target",
             L"C:\\Games",
             {},
             {},
             {failed(L"链接不可位于链接目标之内")},
             false},
        Road{"the target reached through the link itself",
             L"C:\\Games\\Linked\\Sub",
             {},
             {},
             {failed(L"链接不可位于链接目标之内")},
             false},
        Road{"no rights, then yes",
             std::nullopt,
             {true, true},
             {5, 0},
             {kConfirm, kAskRights, kChanged},
             true,
             1},
        Road{"no rights, then no", std::nullopt, {true, false}, {5}, {kConfirm, kAskRights}, false},
        Road{"no rights, consent declined",
             std::nullopt,
             {true, true},
             {1314},
             {kConfirm, kAskRights},
             false,
             1,
             [](World& w) { w.tool.consent = fakes::FakeProcesses::Consent::Declined; }},
        Road{"no rights twice",
             std::nullopt,
             {true, true},
             {5, 5},
             {kConfirm, kAskRights, failed(L"error 5")},
             false,
             1},
        Road{"the tool fails", std::nullopt, {true}, {82}, {kConfirm, failed(L"error 82")}, false},
        Road{"the tool's own code",
             std::nullopt,
             {true},
             {0x20000002},
             {kConfirm, failed(L"原因未知")},
             false},
        Road{"0, but nothing changed",
             std::nullopt,
             {true},
             {0},
             {kConfirm, failed(L"原因未知")},
             false,
             0,
             [](World& w) { w.tool.changes = nullptr; }},
        Road{"never ends",
             std::nullopt,
             {true},
             {kNeverEnds},
             {kConfirm, failed(L"error 1460")},
             false}));

}  // namespace
}  // namespace mirafold::link

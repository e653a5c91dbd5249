// Moving a folder away from the left list into the right one's folder, a link left behind, through
// the real program: the confirmation, the progress window, the end messages (done, cancelled, old
// folder left), the files on disk; and a link row's commands: open its target, delete it, move
// its folder back.

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/main_layout.h"
#include "base/text.h"
#include "base/win32/handles.h"
#include "driver/driver.h"
#include "driver/host_side.h"
#include "link/link_commands.h"
#include "move/messages.h"
#include "move/move_handlers.h"
#include "platform/win32/ui/progress_dialog.h"

namespace mirafold::ui {
namespace {

namespace id = app::id;

constexpr auto kMoveDone = L"移动完成，已在原处创建链接";
constexpr auto kNameExistsOnRight = L"右侧文件夹中已存在同名文件夹";
constexpr auto kCancelled = L"已取消，未做任何更改";
constexpr auto kOldFolderLeft = L"移动完成，但旧文件夹未能删除：";
constexpr auto kNoRightsQuestion = L"移动失败：权限不足。是否以管理员身份重新移动？";
constexpr auto kUnfinished = L"上次的移动未完成：";
constexpr int kManyFiles = 1500;

// Moves go through the elevated helper when the program is started with this set (a test run of
// its own sets it for the moves below that name it).
bool throughHelper() {
  const char* value = std::getenv("MIRAFOLD_MOVE_THROUGH_HELPER");
  return value && std::string(value) == "1";
}

bool isLink(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

class MoveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program = root.makeFolder(L"program");
    games = root.makeFolder(L"games");
    store = root.makeFolder(L"store");
    root.makeFolder(L"games\\Game\\data");
    root.makeFile(L"games\\Game\\save.dat", "progress");
    root.makeFile(L"games\\Game\\data\\level.bin", "0123456789");
  }
  // The program with a junction.exe that waits 1.5 s before it makes the link, so that the
  // progress window stays long enough to be seen.
  void installWithSlowLinks() {
    installProgram(program);
    ASSERT_TRUE(::CopyFileW((programSource() + L"\\junction.exe").c_str(),
                            (program + L"\\junction-real.exe").c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW((buildFolder() + L"\\slow_junction.exe").c_str(),
                            (program + L"\\junction.exe").c_str(), FALSE));
  }
  void start(const std::wstring& right = {}) {
    app = std::make_unique<App>(program, L"", games);
    ASSERT_NE(app->waitForMainWindow(), nullptr);
    ASSERT_TRUE(app->waitForText(id::kDir1, games));
    const std::wstring destination = right.empty() ? store : right;
    app->setText(id::kText2, destination);
    app->pressEnter(id::kText2);
    ASSERT_TRUE(app->waitForText(id::kDir2, destination));
  }
  // The rows of games: "Game" (0) and the link "Kept" (1) to store\Kept, which holds a file.
  void startWithKeptLink() {
    root.makeFolder(L"store\\Kept");
    root.makeFile(L"store\\Kept\\kept.txt", "kept");
    link(games + L"\\Kept", store + L"\\Kept");
    installProgram(program);
    start();
  }
  // Every move of this start through the elevated helper, whatever the test run says.
  void startThroughHelper() {
    wchar_t before[4] = {};
    const bool wasSet = ::GetEnvironmentVariableW(L"MIRAFOLD_MOVE_THROUGH_HELPER", before, 4) > 0;
    ::SetEnvironmentVariableW(L"MIRAFOLD_MOVE_THROUGH_HELPER", L"1");
    start();
    ::SetEnvironmentVariableW(L"MIRAFOLD_MOVE_THROUGH_HELPER", wasSet ? before : nullptr);
  }
  // Yes in the helper's own box, where moves go through it.
  void agreeInTheHelper() {
    if (throughHelper()) {
      EXPECT_TRUE(app->answerHelper(true, 60s).has_value()) << "the helper asks the user itself";
    }
  }
  void link(const std::wstring& at, const std::wstring& target) {
    ASSERT_EQ(runJunction(L"\"" + at + L"\" \"" + target + L"\""), 0u);
    ASSERT_TRUE(isLink(at));
  }
  void TearDown() override {
    app.reset();
    // Links go first, by the tool, so that clearing the test folders never walks through one.
    for (const wchar_t* name : {L"Game", L"Kept", L"Back"}) {
      if (isLink(games + L"\\" + name)) {
        EXPECT_EQ(runJunction(L"-d \"" + games + L"\\" + name + L"\""), 0u);
      }
    }
  }

  // A folder on D:, made when first asked for; it outlives TearDown, which removes the links to it.
  const std::wstring& otherDrive() {
    if (!other) other = std::make_unique<OtherDriveFolder>();
    return other->path();
  }

  TestFolder root;
  std::wstring program, games, store;
  std::unique_ptr<OtherDriveFolder> other;
  std::unique_ptr<App> app;
};

// The helper with administrator rights makes its link itself: a junction.exe beside the program,
// where the user or any of the user's programs may put one, is never run by it.
TEST_F(MoveTest, TheHelperRunsNoJunctionToolFromTheProgramsFolder) {
  installProgram(program);
  ASSERT_TRUE(::CopyFileW((buildFolder() + L"\\marker.exe").c_str(),
                          (program + L"\\junction.exe").c_str(), FALSE));
  startThroughHelper();
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, move::kCommandMoveAway));
  ASSERT_TRUE(app->answer(true).has_value());
  ASSERT_TRUE(app->answerHelper(true, 60s).has_value());
  EXPECT_EQ(app->acknowledge(60s).value_or(L"<none>"), kMoveDone);
  EXPECT_TRUE(isLink(games + L"\\Game"));
  EXPECT_EQ(contentOf(games + L"\\Game\\save.dat"), "progress") << "through the link";
  // The window's own start-up run of the tool may have come; no run named the move's link.
  std::wstring runs;
  for (const char c : contentOf(program + L"\\junction.exe.ran")) {
    if (c != '\0') runs += static_cast<wchar_t>(c);  // UTF-16 of ASCII paths, read byte by byte
  }
  EXPECT_EQ(runs.find(L"Game"), std::wstring::npos);
}

// The helper asks the user itself, in its own box naming both ends, before it touches anything;
// No there leaves everything as it was, and the window says the move never began.
TEST_F(MoveTest, NoInTheHelpersOwnBoxLeavesAllAsItWas) {
  installProgram(program);
  startThroughHelper();
  const auto games0 = snapshot(games), store0 = snapshot(store);
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, move::kCommandMoveAway));
  ASSERT_TRUE(app->answer(true).has_value());
  const std::wstring question = app->answerHelper(false, 60s).value_or(L"<none>");
  EXPECT_NE(question.find(L"“" + games + L"\\Game”"), std::wstring::npos);
  EXPECT_NE(question.find(L"“" + store + L"\\Game”"), std::wstring::npos);
  EXPECT_EQ(app->acknowledge(30s).value_or(L"<none>"), move::kHelperNotAgreed);
  EXPECT_EQ(snapshot(games), games0);
  EXPECT_EQ(snapshot(store), store0);
}

TEST_F(MoveTest, AFolderMovesIntoTheRightFolderAndALinkShowsItsFilesAtTheOldPlace) {
  installWithSlowLinks();
  start();
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, move::kCommandMoveAway));
  const std::wstring question = app->answer(true).value_or(L"<none>");
  EXPECT_EQ(question, L"将把“" + games + L"\\Game”（2 个文件，18 B）移动到“" + store +
                          L"”，并在原处创建指向它的链接。是否继续？");

  const HWND progress = app->waitForWindow(L"正在移动", 10s, L"MirafoldProgress");
  ASSERT_NE(progress, nullptr) << "the progress window shows while the link is made";
  EXPECT_EQ(app->textIn(progress, IDCANCEL), L"取消");
  if (throughHelper()) {
    EXPECT_NE(app->helperProcessId(), 0u) << "the helper moves it";
  }
  agreeInTheHelper();

  EXPECT_EQ(app->acknowledge(30s).value_or(L"<none>"), kMoveDone);
  EXPECT_TRUE(exists(store + L"\\Game\\save.dat"));
  EXPECT_TRUE(exists(store + L"\\Game\\data\\level.bin"));
  EXPECT_TRUE(exists(games + L"\\Game\\data\\level.bin")) << "the link shows the moved files";
  EXPECT_FALSE(exists(games + L"\\Game.mirafold-moving"));
  EXPECT_EQ(app->text(id::kDir1), games);
  EXPECT_EQ(app->text(id::kDir2), store);
}

TEST_F(MoveTest, ANameTakenOnTheRightIsRefusedAndNoLeavesAllAsItWas) {
  root.makeFolder(L"store\\Game");
  installProgram(program);
  start();
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, move::kCommandMoveAway));
  EXPECT_EQ(app->acknowledge().value_or(L"<none>"), kNameExistsOnRight);

  ::RemoveDirectoryW((store + L"\\Game").c_str());
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, move::kCommandMoveAway));
  EXPECT_TRUE(app->answer(false).has_value());
  EXPECT_FALSE(app->waitForMessage(1500ms)) << "no end message after No";
  EXPECT_TRUE(exists(games + L"\\Game\\save.dat"));
  EXPECT_FALSE(exists(store + L"\\Game"));
}

TEST_F(MoveTest, ALinkRowOpensItsTarget) {
  startWithKeptLink();
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 1, link::kCommandOpenTarget));
  EXPECT_TRUE(app->waitForText(id::kDir1, store + L"\\Kept")) << app->text(id::kDir1);
  EXPECT_FALSE(app->messageBoxOpen());
}

TEST_F(MoveTest, DeletingALinkLeavesItsTargetFolderAndFiles) {
  startWithKeptLink();
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 1, link::kCommandDeleteLink));
  EXPECT_EQ(app->answer(true).value_or(L"<none>"),
            L"将删除链接“" + games + L"\\Kept”（指向“" + store +
                L"\\Kept”），目标文件夹及其中的文件不受影响。是否继续？");
  EXPECT_TRUE(eventually([&] { return !exists(games + L"\\Kept"); })) << "the link is gone";
  EXPECT_FALSE(app->waitForMessage(1500ms)) << "nothing to say when it worked";
  EXPECT_TRUE(isRealFolder(store + L"\\Kept"));
  EXPECT_EQ(contentOf(store + L"\\Kept\\kept.txt"), "kept");
  EXPECT_EQ(contentOf(games + L"\\Game\\save.dat"), "progress") << "the row beside it";
  EXPECT_EQ(app->text(id::kDir1), games);
}

// The undo of a move: the folder the link leads to comes back into the link's place.
TEST_F(MoveTest, MovingBackPutsTheFolderWhereTheLinkWas) {
  root.makeFolder(L"store\\Back\\sub");
  root.makeFile(L"store\\Back\\notes.txt", "notes");
  root.makeFile(L"store\\Back\\sub\\deep.bin", "0123456789");
  link(games + L"\\Back", store + L"\\Back");  // rows: "Back" (0), "Game" (1)
  installProgram(program);
  start();
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, move::kCommandMoveBack));
  EXPECT_EQ(app->answer(true).value_or(L"<none>"), L"将把“" + store +
                                                       L"\\Back”（2 个文件，15 B）移回“" + games +
                                                       L"\\Back”，并删除该链接。是否继续？");
  agreeInTheHelper();
  EXPECT_EQ(app->acknowledge(30s).value_or(L"<none>"), L"已移回原处");
  EXPECT_TRUE(isRealFolder(games + L"\\Back")) << "a real folder at the link's place";
  EXPECT_FALSE(exists(store + L"\\Back"));
  EXPECT_EQ(contentOf(games + L"\\Back\\notes.txt"), "notes");
  EXPECT_EQ(contentOf(games + L"\\Back\\sub\\deep.bin"), "0123456789");
  EXPECT_FALSE(exists(games + L"\\Back.mirafold-partial"));
  EXPECT_FALSE(exists(store + L"\\Back.mirafold-moving"));
}

// To another drive the move copies, long enough (many files) for 取消 to be pressed in the middle.
TEST_F(MoveTest, CancelDuringTheCopyLeavesAllAsItWas) {
  for (int i = 0; i < kManyFiles; ++i) {
    root.makeFile(L"games\\Game\\data\\part" + std::to_wstring(i) + L".bin",
                  std::string(16384, static_cast<char>('a' + i % 26)));
  }
  installProgram(program);
  start(otherDrive());
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, move::kCommandMoveAway));
  ASSERT_TRUE(app->answer(true).has_value());
  agreeInTheHelper();
  const HWND progress = app->waitForWindow(L"正在移动", 10s, L"MirafoldProgress");
  ASSERT_NE(progress, nullptr);
  // The copy tells how far it is: files and bytes done of all, the speed and the time left.
  EXPECT_TRUE(
      eventually([&] { return !app->textIn(progress, win32::kProgressRateId).empty(); }, 10s));
  EXPECT_NE(app->textIn(progress, win32::kProgressCountsId).find(L" / 1502 个文件，"),
            std::wstring::npos)
      << app->textIn(progress, win32::kProgressCountsId);
  EXPECT_NE(app->textIn(progress, win32::kProgressRateId).find(L"/秒，剩余约 "), std::wstring::npos)
      << app->textIn(progress, win32::kProgressRateId);
  screenshotIfAsked();  // the README's picture of a copy under way
  app->clickIn(progress, IDCANCEL);

  EXPECT_EQ(app->acknowledge(60s).value_or(L"<none>"), kCancelled);
  EXPECT_TRUE(isRealFolder(games + L"\\Game"));
  EXPECT_EQ(contentOf(games + L"\\Game\\save.dat"), "progress");
  EXPECT_EQ(contentOf(games + L"\\Game\\data\\level.bin"), "0123456789");
  for (int i = 0; i < kManyFiles; ++i) {
    EXPECT_EQ(contentOf(games + L"\\Game\\data\\part" + std::to_wstring(i) + L".bin"),
              std::string(16384, static_cast<char>('a' + i % 26)));
  }
  EXPECT_FALSE(exists(games + L"\\Game.mirafold-moving"));
  EXPECT_FALSE(exists(otherDrive() + L"\\Game"));
  EXPECT_FALSE(exists(otherDrive() + L"\\Game.mirafold-partial"));
}

// A file of the old folder held open without leave to delete it: Wine lets the folder be renamed
// and the file be read, so the move is done but the clean-up cannot delete that file. (Windows
// would refuse the first rename, and nothing would change.)
TEST_F(MoveTest, AnOldFolderThatCannotBeDeletedIsNamed) {
  installProgram(program);
  start(otherDrive());
  base::win32::UniqueFileHandle held(::CreateFileW((games + L"\\Game\\save.dat").c_str(),
                                                   GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                   OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, move::kCommandMoveAway));
  ASSERT_TRUE(app->answer(true).has_value());
  const std::wstring end = app->acknowledge(60s).value_or(L"<none>");
  held.reset();

  EXPECT_EQ(end, kOldFolderLeft + games + L"\\Game.mirafold-moving");
  EXPECT_TRUE(isLink(games + L"\\Game"));
  EXPECT_EQ(contentOf(games + L"\\Game\\save.dat"), "progress") << "through the link";
  EXPECT_EQ(contentOf(otherDrive() + L"\\Game\\data\\level.bin"), "0123456789");
  EXPECT_EQ(contentOf(games + L"\\Game.mirafold-moving\\save.dat"), "progress")
      << "the file the clean-up could not delete is still there";
}

// A folder whose parent may not be changed: the move undoes itself and asks to go again as
// administrator. No changes nothing; Yes starts the helper (Wine's runas starts it at once, as
// the same user), which the parent refuses in turn, and the window says so.
TEST_F(MoveTest, AFolderWhoseParentRefusesChangesIsOfferedTheMoveAsAdministrator) {
  if (throughHelper()) GTEST_SKIP() << "asks only where the window's own try was refused";
  installProgram(program);
  start();
  const Unchangeable locked(games);
  if (!locked.held())
    GTEST_SKIP() << "chattr +i did not take here (not root, or no ext4-like file system)";

  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, move::kCommandMoveAway));
  ASSERT_TRUE(app->answer(true).has_value());
  ASSERT_TRUE(app->waitForMessage(60s));
  screenshotIfAsked();  // the question, for a person to look at
  EXPECT_EQ(app->answer(false).value_or(L"<none>"), kNoRightsQuestion);
  EXPECT_EQ(app->acknowledge().value_or(L"<none>"), kCancelled);
  EXPECT_EQ(app->helperProcessId(), 0u) << "No starts nothing";

  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, move::kCommandMoveAway));
  ASSERT_TRUE(app->answer(true).has_value());
  EXPECT_EQ(app->answer(true, 60s).value_or(L"<none>"), kNoRightsQuestion);
  EXPECT_TRUE(app->answerHelper(true, 60s).has_value()) << "the helper asks the user itself";
  const std::wstring end = app->acknowledge(60s).value_or(L"<none>");
  EXPECT_TRUE(end.starts_with(L"移动失败：") && end.ends_with(L"。未做任何更改")) << end;
  EXPECT_EQ(end.find(L"权限不足"), std::wstring::npos) << "the helper's refusal is told, not asked";
  EXPECT_EQ(end.find(L"文件正在使用"), std::wstring::npos) << end;

  EXPECT_TRUE(isRealFolder(games + L"\\Game"));
  EXPECT_EQ(contentOf(games + L"\\Game\\save.dat"), "progress");
  EXPECT_EQ(contentOf(games + L"\\Game\\data\\level.bin"), "0123456789");
  EXPECT_FALSE(exists(games + L"\\Game.mirafold-moving"));
  EXPECT_FALSE(exists(store + L"\\Game"));
}

// Deleting a link in a folder that may not be changed asks for rights; the tool run as
// administrator (at once, under Wine) is refused in turn and says so; the link stays.
TEST_F(MoveTest, ALinkInAFolderThatRefusesChangesIsOfferedDeletionAsAdministrator) {
  if (throughHelper()) GTEST_SKIP() << "no move here";
  startWithKeptLink();
  const Unchangeable locked(games);
  if (!locked.held()) {
    GTEST_SKIP() << "chattr +i did not take here (not root, or no ext4-like file system)";
  }
  const std::wstring question = L"删除链接失败：权限不足。是否以管理员身份重试？";
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 1, link::kCommandDeleteLink));
  EXPECT_TRUE(app->answer(true).value_or(L"<none>").starts_with(L"将删除链接"));
  EXPECT_EQ(app->answer(false).value_or(L"<none>"), question);
  EXPECT_FALSE(app->waitForMessage(1500ms)) << "No says nothing more";
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 1, link::kCommandDeleteLink));
  EXPECT_TRUE(app->answer(true).value_or(L"<none>").starts_with(L"将删除链接"));
  EXPECT_EQ(app->answer(true).value_or(L"<none>"), question);
  const std::wstring end = app->acknowledge().value_or(L"<none>");
  EXPECT_TRUE(end.starts_with(L"删除链接失败：")) << std::string(end.begin(), end.end());
  EXPECT_TRUE(isLink(games + L"\\Kept"));
  EXPECT_EQ(contentOf(store + L"\\Kept\\kept.txt"), "kept");
}

// The copy to D: stopped dead in the middle (the process that copies killed: the helper when
// moves go through it, else the program), then finished at the next start.
TEST_F(MoveTest, AMoveKilledInTheMiddleIsFinishedAtTheNextStart) {
  for (int i = 0; i < kManyFiles; ++i) {
    root.makeFile(L"games\\Game\\data\\part" + std::to_wstring(i) + L".bin",
                  std::string(16384, static_cast<char>('a' + i % 26)));
  }
  installProgram(program);
  start(otherDrive());
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, move::kCommandMoveAway));
  ASSERT_TRUE(app->answer(true).has_value());
  agreeInTheHelper();
  const HWND progress = app->waitForWindow(L"正在移动", 10s, L"MirafoldProgress");
  ASSERT_NE(progress, nullptr);
  ASSERT_TRUE(
      eventually([&] { return !app->textIn(progress, win32::kProgressRateId).empty(); }, 20s));
  if (throughHelper()) {
    const DWORD helper = app->helperProcessId();
    ASSERT_NE(helper, 0u) << "the helper copies";
    const base::win32::UniqueKernelHandle process(
        ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, helper));
    ASSERT_TRUE(process);
    ASSERT_TRUE(::TerminateProcess(process.get(), 9));
    ::WaitForSingleObject(process.get(), 10000);
    // The window keeps its promise: nothing is claimed, the move waits for the next start.
    EXPECT_EQ(app->acknowledge(30s).value_or(L"<none>"),
              base::fillIn(move::kMoveUnfinished, {std::wstring(move::kHelperEndedUntold)}));
  }
  app.reset();  // the program ends (killed, as a power cut would end it)

  app = std::make_unique<App>(program, L"", games);
  ASSERT_NE(app->waitForMainWindow(), nullptr);
  const std::wstring question = app->answer(true, 30s).value_or(L"<none>");
  EXPECT_TRUE(question.starts_with(kUnfinished)) << std::string(question.begin(), question.end());
  EXPECT_NE(question.find(games + L"\\Game"), std::wstring::npos);
  agreeInTheHelper();  // the helper's own journal is ended by the helper
  EXPECT_EQ(app->acknowledge(120s).value_or(L"<none>"), kMoveDone);
  EXPECT_TRUE(isLink(games + L"\\Game"));
  EXPECT_EQ(contentOf(otherDrive() + L"\\Game\\save.dat"), "progress");
  for (int i = 0; i < kManyFiles; i += 149) {
    EXPECT_EQ(contentOf(otherDrive() + L"\\Game\\data\\part" + std::to_wstring(i) + L".bin"),
              std::string(16384, static_cast<char>('a' + i % 26)));
  }
  EXPECT_FALSE(exists(games + L"\\Game.mirafold-moving"));
  EXPECT_FALSE(exists(otherDrive() + L"\\Game.mirafold-partial"));
}

}  // namespace
}  // namespace mirafold::ui

// Who holds a folder, for every answer the system can give: the process list (asked, denied,
// ended meanwhile) and the Restart Manager (no session, a list that kept growing, a service, a
// program the list named that has ended since, another user's process).

#include <gtest/gtest.h>

#include "fakes/fake_running_programs.h"
#include "move/folder_holders.h"

namespace mirafold::move {
namespace {

using platform::FileUser;
using platform::FileUsers;
using platform::RunningProcess;
using Query = RunningProcess::Query;
using Answer = FileUsers::Answer;

constexpr auto kFolder = L"C:\\Games\\Steam";
constexpr auto kHeld = L"C:\\Games\\Steam\\logs\\content.log";

TEST(FolderHolders, EveryAnswerOfTheSystemNamesWhomItCan) {
  const RunningProcess steam{1234, Query::Answered, L"C:\\Games\\Steam\\steam.exe"};
  const RunningProcess helper{1300, Query::Answered, L"C:\\Games\\Steam\\bin\\helper.exe"};
  const RunningProcess beside{1400, Query::Answered, L"C:\\Games\\SteamLibrary\\x.exe"};
  const RunningProcess search{900, Query::Answered, L"C:\\Windows\\System32\\SearchIndexer.exe"};
  const RunningProcess otherUser{2000, Query::Denied, L""};
  const RunningProcess ended{2100, Query::Ended, L""};
  const Holder steamByFile{1234, L"steam.exe", L"steam.exe", L""};
  const Holder steamByName{1234, L"Steam", L"steam.exe", L""};
  const struct {
    const char* row;
    std::vector<RunningProcess> running;
    FileUsers users;
    std::wstring held;
    std::vector<Holder> named;
  } cases[] = {
      {"nothing runs from it, nothing held", {search, beside}, {}, L"", {}},
      {"no session: the program files' names",
       {steam, beside},
       {Answer::NoSession, {{1234, L"Steam", L""}}},
       L"",
       {steamByFile}},
      {"the list failed: the same", {steam}, {Answer::Failed, {}}, kHeld, {steamByFile}},
      {"its friendly name",
       {steam},
       {Answer::Answered, {{1234, L"Steam", L""}}},
       L"",
       {steamByName}},
      {"a list that kept growing: what was read, and the program files",
       {steam, helper},
       {Answer::Incomplete, {{1234, L"Steam", L""}}},
       kHeld,
       {steamByName, {1300, L"helper.exe", L"helper.exe", L""}}},
      {"a service holding a file outside any image",
       {search},
       {Answer::Answered, {{900, L"Windows Search", L"WSearch"}}},
       kHeld,
       {{900, L"Windows Search", L"SearchIndexer.exe", L"WSearch"}}},
      {"another user's process: named by the system, no file",
       {otherUser},
       {Answer::Answered, {{2000, L"Backup", L""}}},
       kHeld,
       {{2000, L"Backup", L"", L""}}},
      {"ended since it was listed", {ended}, {Answer::Answered, {{2100, L"Gone", L""}}}, kHeld, {}},
      {"started since the listing: still there",
       {},
       {Answer::Answered, {{2200, L"New", L""}}},
       kHeld,
       {{2200, L"New", L"", L""}}},
      {"named twice, once",
       {steam},
       {Answer::Answered, {{1234, L"Steam", L""}, {1234, L"Steam", L""}}},
       kHeld,
       {steamByName}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    fakes::FakeRunningPrograms programs;
    programs.running = c.running;
    programs.users = c.users;
    EXPECT_EQ(holdersOf(programs, kFolder, c.held), c.named);
  }
}

// The Restart Manager is asked about the program files found and the held file, each once; not
// at all when there is nothing to ask about.
TEST(FolderHolders, TheRestartManagerIsAskedAboutWhatWasFound) {
  fakes::FakeRunningPrograms programs;
  programs.running = {{1, Query::Answered, L"C:\\Games\\Steam\\steam.exe"},
                      {2, Query::Answered, L"c:\\games\\steam\\STEAM.EXE"},
                      {3, Query::Answered, L"C:\\Other\\other.exe"}};
  holdersOf(programs, kFolder, kHeld);
  programs.running.clear();
  holdersOf(programs, kFolder, L"");
  ASSERT_EQ(programs.asked.size(), 1u);
  EXPECT_EQ(programs.asked[0], (std::vector<std::wstring>{L"C:\\Games\\Steam\\steam.exe", kHeld}));
}

TEST(FolderHolders, TheTextNamesEachWithItsFileAndProcess) {
  EXPECT_FALSE(holdersText({}, kHeld));
  EXPECT_EQ(holdersText({{1234, L"Steam", L"steam.exe", L""},
                         {900, L"Windows Search", L"SearchIndexer.exe", L"WSearch"},
                         {2000, L"Backup", L"", L""},
                         {1300, L"helper.exe", L"helper.exe", L""}},
                        kHeld),
            L"以下程序正在使用此文件夹，请先关闭它们：\r\n"
            L"Steam（steam.exe，进程 1234）\r\n"
            L"Windows Search（服务 WSearch，进程 900）\r\n"
            L"Backup（进程 2000）\r\n"
            L"helper.exe（进程 1300）\r\n\r\n"
            L"文件正在使用：C:\\Games\\Steam\\logs\\content.log");
}

// A program's name is its own to choose: breaks and direction marks in it are dropped, and a
// crowd of programs is cut to what a screen holds.
TEST(FolderHolders, TheTextTakesNoDisguiseAndNoCrowd) {
  std::vector<Holder> crowd(20, Holder{7, L"Game\r\n已完成\u202Eexe.gnp", L"", L""});
  const std::wstring text = *holdersText(crowd, L"");
  EXPECT_EQ(text.find(L"\r\n已完成"), std::wstring::npos);
  EXPECT_EQ(text.find(L'\u202E'), std::wstring::npos);
  EXPECT_NE(text.find(L"Game已完成exe.gnp（进程 7）"), std::wstring::npos);
  EXPECT_TRUE(text.ends_with(L"……以及另外 5 个程序"));
}

}  // namespace
}  // namespace mirafold::move

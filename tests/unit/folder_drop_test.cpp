#include <gtest/gtest.h>

#include "fakes/main_window.h"

namespace mirafold {
namespace {

constexpr auto kDropAFolder = L"请拖入文件夹";
constexpr auto kNoSuchFolder = L"目录不存在";
constexpr auto kStartLine = L"D:\\Tools\\junction.exe \"D:\\Tools\\Tools\" \"D:\\Tools\"";
using Paths = std::vector<std::wstring>;
using Messages = std::vector<std::wstring>;

enum class Side { Left, Right };

const std::wstring kDeep =
    L"C:\\Data\\" + std::wstring(140, L'a') + L"\\" + std::wstring(140, L'b');

struct Drop {
  const char* what;
  Side side;
  Paths paths;
  std::wstring dir1, dir2;  // the lists afterwards
  std::wstring line;        // comd afterwards
  Messages messages;
};

// clang-format off
const Drop kDrops[] = {
  {"a folder on the left", Side::Left, {L"C:\\Data"}, L"C:\\Data", L"D:\\Tools",
   L"D:\\Tools\\junction.exe \"C:\\Data\\Tools\" \"D:\\Tools\"", {}},
  {"a folder on the right", Side::Right, {L"C:\\Data\\Saves"}, L"D:\\Tools", L"C:\\Data\\Saves",
   L"D:\\Tools\\junction.exe \"D:\\Tools\\Saves\" \"C:\\Data\\Saves\"", {}},
  {"a junction to a folder", Side::Left, {L"D:\\Links\\Game"}, L"D:\\Links\\Game", L"D:\\Tools",
   L"D:\\Tools\\junction.exe \"D:\\Links\\Game\\Tools\" \"D:\\Tools\"", {}},
  // A backslash before a closing quote is doubled, as the argument rules want.
  {"a drive root", Side::Right, {L"E:\\"}, L"D:\\Tools", L"E:\\",
   L"D:\\Tools\\junction.exe \"D:\\Tools\\\\\" \"E:\\\\\"", {}},
  {"a path past 260 characters", Side::Left, {kDeep}, kDeep, L"D:\\Tools",
   L"D:\\Tools\\junction.exe \"" + kDeep + L"\\Tools\" \"D:\\Tools\"", {}},
  {"a file on the left", Side::Left, {L"C:\\Data\\notes.txt"}, L"D:\\Tools", L"D:\\Tools",
   kStartLine, {kDropAFolder}},
  {"a file on the right", Side::Right, {L"C:\\Data\\notes.txt"}, L"D:\\Tools", L"D:\\Tools",
   kStartLine, {kDropAFolder}},
  {"a hidden file", Side::Right, {L"C:\\Data\\desktop.ini"}, L"D:\\Tools", L"D:\\Tools",
   kStartLine, {kDropAFolder}},
  {"something gone before the drop", Side::Right, {L"C:\\Gone"}, L"D:\\Tools", L"D:\\Tools",
   kStartLine, {kNoSuchFolder}},
  {"two folders: the first", Side::Left, {L"E:\\Games", L"C:\\Data"}, L"E:\\Games", L"D:\\Tools",
   L"D:\\Tools\\junction.exe \"E:\\Games\\Tools\" \"D:\\Tools\"", {}},
  {"a folder, then a file", Side::Right, {L"C:\\Data", L"C:\\Data\\notes.txt"}, L"D:\\Tools",
   L"C:\\Data", L"D:\\Tools\\junction.exe \"D:\\Tools\\Data\" \"C:\\Data\"", {}},
  {"a file, then a folder", Side::Left, {L"C:\\Data\\notes.txt", L"C:\\Data"}, L"D:\\Tools",
   L"D:\\Tools", kStartLine, {kDropAFolder}},
  {"nothing", Side::Left, {}, L"D:\\Tools", L"D:\\Tools", kStartLine, {}},
};
// clang-format on

TEST(FolderDropTest, TheFirstDroppedItemOpensInTheFramesListOrIsRefused) {
  for (const Drop& drop : kDrops) {
    fakes::MainWindow w;
    w.files.addFile(L"C:\\Data\\notes.txt");
    w.files.addFile(L"C:\\Data\\desktop.ini", {.folder = false, .hidden = true, .system = true});
    w.files.addJunction(L"D:\\Links\\Game", L"E:\\Games");
    w.files.addFolder(kDeep);
    ASSERT_TRUE(w.load());
    const std::size_t startsBefore = w.processes.started.size();

    (drop.side == Side::Left ? w.frame1 : w.frame2).drop(drop.paths);

    EXPECT_EQ(w.dir1.path(), drop.dir1) << drop.what;
    EXPECT_EQ(w.dir2.path(), drop.dir2) << drop.what;
    EXPECT_EQ(w.text1.text(), drop.dir1) << "the path box follows its list: " << drop.what;
    EXPECT_EQ(w.text2.text(), drop.dir2) << "the path box follows its list: " << drop.what;
    EXPECT_EQ(w.comd.text(), drop.line) << drop.what;
    EXPECT_EQ(w.messages.shown, drop.messages) << drop.what;
    EXPECT_EQ(w.drive1.drive(), L"d: [Data]") << "as for a typed path: " << drop.what;
    EXPECT_EQ(w.drive2.drive(), L"d: [Data]") << "as for a typed path: " << drop.what;
    EXPECT_TRUE(w.files.deleted.empty()) << drop.what;
    EXPECT_EQ(w.processes.started.size(), startsBefore) << drop.what;
  }
}

}  // namespace
}  // namespace mirafold

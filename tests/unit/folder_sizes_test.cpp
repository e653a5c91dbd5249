#include <gtest/gtest.h>

#include <functional>

#include "fakes/fake_move_file_system.h"
#include "fakes/fake_table_window.h"
#include "sizes/size_overview.h"

namespace mirafold::sizes {
namespace {

// C:\Top, on a volume of 4 KB clusters: Big holds files of 1000 and 500 bytes, the 500 also named
// in Small (one file, two names), and a link inside that leads to 5000 bytes on D:; Linked is
// itself a link to them; a file beside.
struct Sizes {
  Sizes() {
    disk.addVolume(L'C', {.clusterBytes = 4096});
    disk.addVolume(L'D');
    disk.addFile(L"D:\\Far\\huge.bin", std::wstring(5000, L'x'));
    disk.addFile(L"C:\\Top\\Big\\a.bin", std::wstring(1000, L'x'));
    disk.addFile(L"C:\\Top\\Big\\sub\\b.bin", std::wstring(500, L'x'));
    disk.addLink(L"C:\\Top\\Big\\sub\\Inner", L"D:\\Far");
    disk.addFile(L"C:\\Top\\Small\\c.txt", std::wstring(10, L'x'));
    disk.addFile(L"C:\\Top\\Small\\same.bin", std::wstring(500, L'x'));
    disk.giveFileId(L"C:\\Top\\Big\\sub\\b.bin", 7);
    disk.giveFileId(L"C:\\Top\\Small\\same.bin", 7);
    disk.addLink(L"C:\\Top\\Linked", L"D:\\Far");
    disk.addFile(L"C:\\Top\\loose.txt", L"x");
    std::vector<std::wstring> paths;
    for (const auto& [path, node] : disk.nodes()) paths.push_back(path);
    for (const std::wstring& path : paths) disk.setTimes(path, {1, 10});
    disk.setTimes(L"C:\\Top\\Big\\sub\\b.bin", {1, 90});
    disk.setTimes(L"C:\\Top\\Small", {1, 40});
    disk.setTimes(L"C:\\Top\\Linked", {1, 60});
    disk.resetFaults();
  }
  std::vector<std::wstring> rows() const {
    std::vector<std::wstring> out;
    for (const auto& row : window.shown.rows) {
      std::wstring text;
      for (const auto& cell : row.cells) text += (text.empty() ? L"" : L"|") + cell;
      out.push_back(text);
    }
    return out;
  }
  fakes::FakeMoveFileSystem disk;
  fakes::FakeTableWindow window;
  SizeOverview sizes{{.files = disk, .window = window, .timeText = [](std::uint64_t t) {
                        return L"t" + std::to_wstring(t);
                      }}};
};

TEST(FolderSizes, EachSubfolderByItsOwnFilesWithoutLinksOrSecondNames) {
  const struct {
    const char* name;
    long failingListing;  // the disk's operation that fails, -1: none
    int stopAtPost;       // 取消 pressed after this many posts, 0: never
    std::vector<std::wstring> rows;
    std::wstring summary;
  } cases[] = {
      {"whole",
       -1,
       0,
       {L"Big|8.0 KB|2|t90|", L"Small|4.0 KB|1|t40|", L"Linked|||t60|链接，不计入"},
       L"“C:\\Top”中有 3 个子文件夹，合计 12.0 KB"},
      {"a folder below that cannot be listed",
       2,
       0,
       {L"Small|8.0 KB|2|t40|", L"Big|4.0 KB|1|t10|1 个文件夹无法读取",
        L"Linked|||t60|链接，不计入"},
       L"“C:\\Top”中有 3 个子文件夹，合计 12.0 KB"},
      {"cancelled after the first",
       -1,
       2,
       {L"Big|8.0 KB|2|t90|", L"Small|||t40|已取消，未算完", L"Linked|||t60|链接，不计入"},
       L"已取消：算完 1 个子文件夹，合计 8.0 KB"},
      {"the folder itself unreadable", 0, 0, {}, L"无法读取“C:\\Top”"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Sizes s;
    if (c.failingListing >= 0) s.disk.failAt(c.failingListing);
    int posts = 0;
    s.window.posted = [&] {
      if (++posts == c.stopAtPost) s.window.given->stop();
    };
    s.sizes.show(L"C:\\Top", {});
    EXPECT_EQ(s.rows(), c.rows);
    EXPECT_EQ(s.window.shown.summary, c.summary);
    EXPECT_FALSE(s.window.shown.busy);
  }
}

TEST(FolderSizes, SortsAndMovesTheChosenRowsThenMeasuresAfresh) {
  Sizes s;
  std::vector<std::vector<std::wstring>> moved;
  const MoveFolders move = [&](const std::vector<std::wstring>& folders) {
    moved.push_back(folders);
    s.disk.addFolder(L"C:\\Store");
    s.disk.rename(L"C:\\Top\\Big", L"C:\\Store\\Big");
    s.disk.addLink(L"C:\\Top\\Big", L"C:\\Store\\Big");
    s.disk.setTimes(L"C:\\Top\\Big", {1, 70});
  };
  s.window.whileOpen = [&](const platform::TableHandlers& h) {
    const auto names = [&] {
      std::vector<std::wstring> out;
      for (const auto& row : s.window.shown.rows) out.push_back(row.cells[0]);
      return out;
    };
    const struct {
      int column;
      std::vector<std::wstring> names;
    } steps[] = {
        {0, {L"Big", L"Linked", L"Small"}},  // by name, A first
        {0, {L"Small", L"Linked", L"Big"}},  // the same again: the other way
        {2, {L"Big", L"Small", L"Linked"}},  // by files, most first
        {3, {L"Big", L"Linked", L"Small"}},  // by last change, latest first
    };
    for (const auto& step : steps) {
      h.sortBy(step.column);
      EXPECT_EQ(names(), step.names) << step.column;
    }
    const auto enabled = [&](std::vector<std::wstring> keys) {
      return h.items(keys).front().enabled;
    };
    EXPECT_TRUE(enabled({L"C:\\Top\\Big", L"C:\\Top\\Small"}));
    EXPECT_FALSE(enabled({L"C:\\Top\\Big", L"C:\\Top\\Linked"})) << "a link moves no further";
    h.chosen({L"C:\\Top\\Big", L"C:\\Top\\Linked"}, kSizesMoveAway);  // greyed: nothing
    EXPECT_TRUE(moved.empty());
    h.chosen({L"C:\\Top\\Big"}, kSizesMoveAway);
    EXPECT_EQ(moved, (std::vector<std::vector<std::wstring>>{{L"C:\\Top\\Big"}}));
    // Big is a link now, not counted; Small counts the file whose other name went with Big.
    h.sortBy(1);
    EXPECT_EQ(s.rows(),
              (std::vector<std::wstring>{L"Small|8.0 KB|2|t40|", L"Linked|||t60|链接，不计入",
                                         L"Big|||t70|链接，不计入"}));
    EXPECT_EQ(s.window.shown.summary, L"“C:\\Top”中有 3 个子文件夹，合计 8.0 KB");
  };
  s.sizes.show(L"C:\\Top", move);
}

// The walk's rules on what it enters and counts, on C:\T: a.bin and S\b.bin, and D:\Victim.
TEST(FolderSizes, NeitherLinksNorCloudFoldersNorUnknownNumbersMislead) {
  using Disk = fakes::FakeMoveFileSystem;
  const struct {
    const char* name;
    std::function<void(Disk&)> make;
    std::wstring root;
    std::uint64_t files;
    std::size_t folders;
    bool link;
  } cases[] = {
      {"plain", [](Disk&) {}, L"C:\\T", 2, 2, false},
      {"a file link", [](Disk& d) { d.addFileLink(L"C:\\T\\S\\l.bin", L"C:\\T\\a.bin"); }, L"C:\\T",
       2, 2, false},
      {"files of an unknown number (all ones)",
       [](Disk& d) {
         d.giveFileId(L"C:\\T\\a.bin", ~std::uint64_t{0});
         d.giveFileId(L"C:\\T\\S\\b.bin", ~std::uint64_t{0});
       },
       L"C:\\T", 2, 2, false},
      {"a cloud folder",
       [](Disk& d) {
         d.addFolder(L"C:\\T\\Cloud", platform::kAttributeRecallOnDataAccess);
         d.addFile(L"C:\\T\\Cloud\\c.bin", L"c");
       },
       L"C:\\T", 2, 2, false},
      {"S swapped for a link after T was listed",
       [](Disk& d) { d.attack(Disk::Attack::LinkToVictim, 0, L"D:\\Victim"); }, L"C:\\T", 1, 1,
       false},
      {"the folder itself a link", [](Disk& d) { d.addLink(L"C:\\L", L"C:\\T"); }, L"C:\\L", 0, 0,
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Disk disk;
    disk.addVolume(L'C');
    disk.addVolume(L'D');
    disk.addFile(L"C:\\T\\a.bin", L"a");
    disk.addFile(L"C:\\T\\S\\b.bin", L"b");
    disk.addFile(L"D:\\Victim\\v.bin", L"v");
    c.make(disk);
    FolderSize size;
    SeenFiles seen;
    measureFolder(
        disk, c.root, size, seen, [] { return false; }, [](const FolderSize&) {});
    EXPECT_EQ(size.files, c.files);
    EXPECT_EQ(size.folders, c.folders);
    EXPECT_EQ(size.link, c.link);
    EXPECT_TRUE(size.complete);
  }
}

}  // namespace
}  // namespace mirafold::sizes

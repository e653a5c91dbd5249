#include "overview/link_overview.h"

#include <gtest/gtest.h>

#include "fakes/fake_link_probe.h"
#include "fakes/fake_move_file_system.h"
#include "fakes/fake_progress_window.h"
#include "fakes/fake_table_window.h"

namespace mirafold::overview {
namespace {

using platform::LinkState;

// C:\Top holds links at several depths: a junction, one whose target is gone, a symbolic link
// to a share; D:\T, where the first leads, holds a link of its own, which must not be found.
struct Tree {
  Tree() {
    disk.addVolume(L'C');
    disk.addVolume(L'D');
    disk.addFolder(L"C:\\Top\\a\\inner");
    disk.addFolder(L"C:\\Top\\b");
    disk.addFile(L"C:\\Top\\file.txt", L"x");
    disk.addLink(L"C:\\Top\\a\\inner\\Gone", L"D:\\Missing");
    disk.addLink(L"C:\\Top\\a\\Live", L"D:\\T");
    disk.addLink(L"C:\\Top\\b\\Share", L"\\\\server\\share", 0xA000000C);
    disk.addFolder(L"D:\\T");
    disk.addLink(L"D:\\T\\Beyond", L"D:\\T");
  }
  fakes::FakeMoveFileSystem disk;
  fakes::DiskLinkProbe probe{disk};
};

std::vector<std::wstring> linksOf(const LinkWalk& walk) {
  std::vector<std::wstring> out;
  for (const FoundLink& found : walk.links) out.push_back(found.link);
  return out;
}

TEST(LinkWalk, FindsEveryLinkBelowWithoutEnteringOneAndStopsWhenAsked) {
  const struct {
    const char* name;
    int stopAfterFolders;  // -1: never
    long failingListing;   // the disk's operation that fails, -1: none
    std::vector<std::wstring> links;
    std::size_t unreadable;
    bool cancelled;
  } cases[] = {
      {"whole",
       -1,
       -1,
       {L"C:\\Top\\a\\Live", L"C:\\Top\\a\\inner\\Gone", L"C:\\Top\\b\\Share"},
       0,
       false},
      {"cancelled after two folders", 2, -1, {L"C:\\Top\\a\\Live"}, 0, true},
      {"a folder that cannot be listed", -1, 1, {L"C:\\Top\\b\\Share"}, 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Tree tree;
    if (c.failingListing >= 0) tree.disk.failAt(c.failingListing);
    int asked = 0;
    std::vector<WalkCount> counts;
    const LinkWalk walk = walkLinks(
        tree.disk, tree.probe, L"C:\\Top",
        [&] { return c.stopAfterFolders >= 0 && asked++ >= c.stopAfterFolders; },
        [&](const WalkCount& count) { counts.push_back(count); });
    EXPECT_EQ(linksOf(walk), c.links);
    EXPECT_EQ(walk.unreadableFolders, c.unreadable);
    EXPECT_EQ(walk.cancelled, c.cancelled);
    ASSERT_FALSE(counts.empty());
    EXPECT_EQ(counts.back().links, c.links.size());
    EXPECT_TRUE(counts.back().folder.empty());
  }
  Tree tree;
  const LinkWalk walk = walkLinks(
      tree.disk, tree.probe, L"C:\\Top", [] { return false; }, [](auto&) {});
  ASSERT_EQ(walk.links.size(), 3u);
  EXPECT_EQ(walk.links[0].reading.target, L"D:\\T");
  EXPECT_EQ(walk.links[0].reading.state, LinkState::Normal);
  EXPECT_EQ(walk.links[1].reading.state, LinkState::TargetMissing);
  EXPECT_EQ(walk.links[2].reading.state, LinkState::Network);
}

struct Overview : Tree {
  fakes::FakeProgressWindow progress;
  fakes::FakeTableWindow window;
  LinkOverview overview{{.files = disk, .probe = probe, .progress = progress, .window = window}};
  std::vector<std::wstring> opened, changed;
  LinkRoads roads{.openTarget = {L"open", [this](const std::wstring& l) { opened.push_back(l); }},
                  .deleteLink = {L"delete", [this](const std::wstring& l) { disk.removeLink(l); }}};

  std::vector<std::wstring> column(int which) const {
    std::vector<std::wstring> out;
    for (const auto& row : window.shown.rows) {
      out.push_back(which == 0 ? row.key : row.cells.at(which == 3 ? 0 : which));
    }
    return out;
  }
};

TEST(LinkOverview, ListsTheLinksSortedWithTheirStatesAndCountsWhileWalking) {
  Overview o;
  o.overview.show(L"C:\\Top", o.roads);
  EXPECT_EQ(o.column(0), (std::vector<std::wstring>{L"C:\\Top\\a\\inner\\Gone", L"C:\\Top\\a\\Live",
                                                    L"C:\\Top\\b\\Share"}));
  EXPECT_EQ(o.column(1),
            (std::vector<std::wstring>{L"D:\\Missing", L"D:\\T", L"\\\\server\\share"}));
  EXPECT_EQ(o.column(2), (std::vector<std::wstring>{L"目标不存在", L"正常", L"网络位置"}));
  EXPECT_EQ(o.column(3), (std::vector<std::wstring>{L"a\\inner\\Gone", L"a\\Live", L"b\\Share"}));
  EXPECT_EQ(o.window.shown.summary, L"“C:\\Top”中共有 3 个链接");
  ASSERT_FALSE(o.progress.reports.empty());
  EXPECT_EQ(o.progress.reports.back().counts, L"已查看 4 个文件夹，找到 3 个链接");

  o.progress.reports.clear();
  o.progress.cancelAtReport = 1;
  o.overview.show(L"C:\\Top", o.roads);
  EXPECT_EQ(o.window.shown.summary, L"已取消：只列出了找到的 0 个链接");
}

TEST(LinkOverview, SortsByEachColumnEitherWay) {
  Overview o;
  o.disk.addLink(L"C:\\Top\\b\\ALSO live", L"D:\\T");
  o.window.whileOpen = [&](const platform::TableHandlers& h) {
    const struct {
      int column;
      std::vector<std::wstring> links;  // the first of each name after the last backslash
    } steps[] = {
        {0, {L"Share", L"ALSO live", L"Live", L"Gone"}},  // the same column again: the other way
        {1, {L"Share", L"Gone", L"Live", L"ALSO live"}},  // ties by the link
        {2, {L"Live", L"ALSO live", L"Gone", L"Share"}},
        {2, {L"Share", L"Gone", L"ALSO live", L"Live"}},
    };
    for (const auto& step : steps) {
      h.sortBy(step.column);
      std::vector<std::wstring> names;
      for (const auto& link : o.column(0)) names.push_back(link.substr(link.rfind(L'\\') + 1));
      EXPECT_EQ(names, step.links) << step.column;
      EXPECT_EQ(o.window.shown.sortColumn, step.column);
    }
  };
  o.overview.show(L"C:\\Top", o.roads);
}

TEST(LinkOverview, RowCommandsTakeTheRoadsAndTheTableFollows) {
  Overview o;
  o.window.whileOpen = [&](const platform::TableHandlers& h) {
    const auto commands = [&](const wchar_t* link) {
      std::vector<std::pair<int, bool>> out;
      for (const auto& item : h.items({link})) out.push_back({item.command, item.enabled});
      return out;
    };
    const std::vector<std::pair<int, bool>> sorting{
        {kOverviewSortByLink, true}, {kOverviewSortByTarget, true}, {kOverviewSortByState, true}};
    auto expected = sorting;
    expected.insert(expected.begin(), {{kOverviewOpenTarget, false}, {kOverviewDeleteLink, true}});
    EXPECT_EQ(commands(L"C:\\Top\\a\\inner\\Gone"), expected);
    EXPECT_TRUE(commands(L"C:\\Top\\not listed").empty());

    h.chosen({L"C:\\Top\\a\\inner\\Gone"}, kOverviewOpenTarget);  // greyed: nothing
    h.chosen({L"C:\\Top\\a\\Live"}, kOverviewChangeTarget);       // not offered: nothing
    EXPECT_TRUE(o.opened.empty());
    h.chosen({L"C:\\Top\\a\\inner\\Gone"}, kOverviewDeleteLink);
    EXPECT_EQ(o.column(0), (std::vector<std::wstring>{L"C:\\Top\\a\\Live", L"C:\\Top\\b\\Share"}));
    EXPECT_EQ(o.window.shown.summary, L"“C:\\Top”中共有 2 个链接");
    h.activate(L"C:\\Top\\a\\Live");  // Enter or a double click
    EXPECT_EQ(o.opened, std::vector<std::wstring>{L"C:\\Top\\a\\Live"});
    EXPECT_FALSE(o.window.open);
  };
  o.overview.show(L"C:\\Top", o.roads);

  // Given a road to change a target, the row offers it and shows the target it then has.
  o.roads.changeTarget = {L"change", [&](const std::wstring& link) {
                            o.disk.removeLink(link);
                            o.disk.addLink(link, L"D:\\Missing");
                          }};
  o.window.whileOpen = [&](const platform::TableHandlers& h) {
    const auto items = h.items({L"C:\\Top\\a\\Live"});
    ASSERT_GE(items.size(), 3u);
    EXPECT_EQ(items[1].text, L"change");
    h.chosen({L"C:\\Top\\a\\Live"}, kOverviewChangeTarget);
    EXPECT_EQ(o.column(1)[0], L"D:\\Missing");
    EXPECT_EQ(o.column(2)[0], L"目标不存在");
  };
  o.overview.show(L"C:\\Top", o.roads);
}

}  // namespace
}  // namespace mirafold::overview

#include "platform/folder_row_model.h"

#include <gtest/gtest.h>

#include "fakes/fake_link_probe.h"

namespace mirafold::platform {
namespace {

using fakes::FakeLinkProbe;

TEST(FolderRowModel, AncestorsThenSubfoldersWithTheirPaths) {
  Subfolders subfolders;
  subfolders.add(L"x", RowKind::Folder);
  const struct {
    const wchar_t* path;
    std::vector<std::wstring> labels, folders;
  } rows[] = {
      {L"C:\\a\\b\\",
       {L"C:\\", L"a", L"b", L"x"},
       {L"C:\\", L"C:\\a", L"C:\\a\\b", L"C:\\a\\b\\x"}},
      {L"D:\\", {L"D:\\", L"x"}, {L"D:\\", L"D:\\x"}},
      {L"\\\\server\\share\\f",
       {L"\\\\server\\share", L"f", L"x"},
       {L"\\\\server\\share", L"\\\\server\\share\\f", L"\\\\server\\share\\f\\x"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(row.path)));
    const auto model = FolderRowModel::make(row.path, subfolders);
    ASSERT_TRUE(model);
    ASSERT_EQ(model->size(), row.labels.size());
    EXPECT_EQ(model->currentRow(), row.labels.size() - 2);
    for (std::size_t i = 0; i < model->size(); ++i) {
      EXPECT_EQ(model->label(i), row.labels[i]);
      EXPECT_EQ(model->folder(i), row.folders[i]);
      EXPECT_EQ(model->isOpen(i), i + 1 < model->size());
    }
  }
  EXPECT_FALSE(FolderRowModel::make(L"relative\\path", subfolders));
}

// Only links are probed; a link whose target is gone is marked and says so, one leading to
// another machine is taken as it is, never followed.
TEST(FolderRowModel, BrokenLinksAreMarkedAndSaidSo) {
  FakeLinkProbe probe;
  probe.addLink(L"C:\\f\\live", L"C:\\t\\live");
  probe.addLink(L"C:\\f\\gone", L"C:\\t\\gone", false);
  probe.addLink(L"C:\\f\\relative gone", L"..\\t\\nothing", false);
  probe.addLink(L"C:\\f\\unreadable", std::nullopt, false);
  probe.addLink(L"C:\\f\\share", L"\\\\server\\share\\x", false);
  probe.addLink(L"C:\\f\\mapped", L"N:\\x", false);
  const struct {
    const wchar_t* name;
    RowKind listed, shown;
    const wchar_t* said;
  } rows[] = {
      {L"folder", RowKind::Folder, RowKind::Folder, L"folder"},
      {L"live", RowKind::Link, RowKind::Link, L"live（链接）"},
      {L"gone", RowKind::Link, RowKind::BrokenLink, L"gone（链接，目标不存在）"},
      {L"relative gone", RowKind::Link, RowKind::BrokenLink, L"relative gone（链接，目标不存在）"},
      {L"unreadable", RowKind::Link, RowKind::BrokenLink, L"unreadable（链接，目标不存在）"},
      {L"share", RowKind::Link, RowKind::Link, L"share（链接）"},
      {L"mapped", RowKind::Link, RowKind::Link, L"mapped（链接）"},
  };
  Subfolders subfolders;
  for (const auto& row : rows) subfolders.add(row.name, row.listed);
  auto model = FolderRowModel::make(L"C:\\f", std::move(subfolders));
  ASSERT_TRUE(model);
  // Told in row order; the caller may stop the probing at any answer.
  std::vector<std::size_t> told;
  probeLinks(probe, model->links(), [&](std::size_t row, bool) {
    told.push_back(row);
    return told.size() < 2;
  });
  EXPECT_EQ(told, (std::vector<std::size_t>{3, 4}));
  probe.asked.clear();
  probe.followed.clear();
  probeLinks(probe, model->links(), [&](std::size_t row, bool broken) {
    model->setBroken(row, broken);
    return true;
  });
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(rows[i].name)));
    EXPECT_EQ(model->kind(i + 2), rows[i].shown);
    EXPECT_EQ(model->spokenName(i + 2), rows[i].said);
  }
  EXPECT_EQ(model->spokenName(0), L"C:\\");
  EXPECT_EQ(probe.asked.size(), std::size(rows) - 1);     // never the plain folder
  EXPECT_EQ(probe.followed.size(), std::size(rows) - 3);  // nor a link to another machine
}

}  // namespace
}  // namespace mirafold::platform

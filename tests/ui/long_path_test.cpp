// Paths past the classic 260-character limit: typed in, checked before creation and after.

#include <gtest/gtest.h>

#include "app/main_layout.h"
#include "driver/driver.h"

namespace mirafold::ui {
namespace {

namespace id = app::id;

constexpr auto kLinkCreated = L"链接创建成功！";
constexpr auto kSameName = L"链接创建失败！链接所在路径已存在同名文件夹";

TEST(LongPathTest, ALinkMadeInAFolderMoreThan300CharactersDeep) {
  TestFolder root;
  const std::wstring program = root.makeFolder(L"program");
  const std::wstring target = root.makeFolder(L"games\\Steam");
  root.makeFile(L"games\\Steam\\save.dat", "progress");
  std::wstring location = root.path();
  while (location.size() <= 300) location += L"\\a folder of the link location";
  makeDeepFolder(location);
  installProgram(program);
  const std::wstring link = location + L"\\Steam";
  {
    App app(program, L"", root.path());
    ASSERT_NE(app.waitForMainWindow(), nullptr);
    app.setText(id::kText2, target);
    app.pressEnter(id::kText2);
    ASSERT_TRUE(app.waitForText(id::kDir2, target));
    app.setText(id::kText1, location);
    app.pressEnter(id::kText1);
    ASSERT_TRUE(app.waitForText(id::kDir1, location)) << "the plain form, as typed";
    EXPECT_FALSE(app.messageBoxOpen());
    EXPECT_EQ(app.text(id::kText1), location);
    EXPECT_EQ(app.text(id::kComd),
              program + L"\\junction.exe \"" + link + L"\" \"" + target + L"\"");

    app.click(id::kCommand1);
    EXPECT_EQ(app.acknowledge().value_or(L"<none>"), kLinkCreated);
    EXPECT_TRUE(exists(link + L"\\save.dat")) << "the link shows the target's files";

    // The check before creation sees the link that is now there.
    ASSERT_TRUE(app.waitForText(id::kCommand1, L"创建链接！"));
    app.click(id::kCommand1);
    EXPECT_EQ(app.acknowledge().value_or(L"<none>"), kSameName);
  }
  if (exists(link)) {
    EXPECT_EQ(runJunction(L"-d \"" + link + L"\""), 0u);
  }
  EXPECT_TRUE(exists(target + L"\\save.dat"));
}

}  // namespace
}  // namespace mirafold::ui

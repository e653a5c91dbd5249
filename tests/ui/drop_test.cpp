// Folders dragged from a program on the host onto each frame of the real program, and a file.

#include <gtest/gtest.h>

#include "app/main_layout.h"
#include "driver/driver.h"
#include "driver/host_drop.h"

namespace mirafold::ui {
namespace {

namespace id = app::id;

constexpr auto kDropAFolder = L"请拖入文件夹";

TEST(DropTest, AFolderDroppedOnAFrameOpensInItsListAndAFileIsRefused) {
  TestFolder root;
  const std::wstring program = root.makeFolder(L"program");
  const std::wstring location = root.makeFolder(L"links");
  const std::wstring target = root.makeFolder(L"games\\存档");
  const std::wstring file = root.makeFile(L"games\\readme.txt");
  std::wstring deep = root.path();
  while (deep.size() <= 300) deep += L"\\a folder past the classic limit";
  makeDeepFolder(deep);
  installProgram(program);
  const std::vector<std::wstring> before = snapshot(root.path());
  {
    App app(program, L"", root.path());
    ASSERT_NE(app.waitForMainWindow(), nullptr);

    ASSERT_EQ(hostDrop(app.control(id::kDir1), {location}), 0u);
    ASSERT_TRUE(app.waitForText(id::kDir1, location));
    EXPECT_EQ(app.text(id::kText1), location);

    // The path box is a control inside the right frame: the drop counts for the frame.
    ASSERT_EQ(hostDrop(app.control(id::kText2), {target}), 0u);
    ASSERT_TRUE(app.waitForText(id::kDir2, target));
    EXPECT_EQ(app.text(id::kText2), target);
    EXPECT_EQ(app.text(id::kComd),
              program + L"\\junction.exe \"" + location + L"\\存档\" \"" + target + L"\"");

    ASSERT_EQ(hostDrop(app.control(id::kDrive1), {deep}), 0u);
    ASSERT_TRUE(app.waitForText(id::kDir1, deep)) << "the plain form of a long path";

    // Only the first item counts.
    ASSERT_EQ(hostDrop(app.control(id::kDir2), {file, location}), 0u);
    EXPECT_EQ(app.acknowledge().value_or(L"<none>"), kDropAFolder);
    EXPECT_EQ(app.text(id::kDir2), target);

    // Outside the frames nothing happens; the drop after it shows that it has been handled.
    ASSERT_EQ(hostDrop(app.control(id::kComd), {location}), 0u);
    ASSERT_EQ(hostDrop(app.control(id::kDir2), {location}), 0u);
    ASSERT_TRUE(app.waitForText(id::kDir2, location));
    EXPECT_EQ(app.text(id::kDir1), deep) << "the drop on the command line went to no frame";
    EXPECT_FALSE(app.messageBoxOpen());
  }
  EXPECT_EQ(snapshot(root.path()), before) << "a drop only looks";
}

}  // namespace
}  // namespace mirafold::ui

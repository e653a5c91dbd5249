// A corpus of awkward paths, typed into the path boxes and handed over as the argument: each is
// either taken, as the folder list's own form of a folder, or refused with its message. Nothing
// crashes, and nothing below the test folder is made, changed or removed.

#include <gtest/gtest.h>

#include <optional>

#include "app/main_layout.h"
#include "driver/driver.h"

namespace mirafold::ui {
namespace {

namespace id = app::id;

constexpr auto kNoSuchFolder = L"目录不存在";
constexpr auto kNotAFolder = L"目录不存在，请注意你只能对文件夹执行此操作";
constexpr auto kChooseLocation = L"请在左侧列表中选择你要在哪里创建此文件夹的链接";

struct Case {
  std::wstring input;
  std::optional<std::wstring> takenAs;  // nothing: refused
};

std::string printable(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

class BadInputTest : public testing::Test {
 protected:
  void SetUp() override {
    program = root.makeFolder(L"program");
    start = root.makeFolder(L"start");
    spaced = root.makeFolder(L"with space");
    chinese = root.makeFolder(L"链接 测试");
    astral = root.makeFolder(L"音乐\U0001D11E");
    file = root.makeFile(L"file.txt");
    deep = start;
    while (deep.size() < 300) deep += L"\\deep folder level";
    makeDeepFolder(deep);
    installProgram(program);
    before = snapshot(root.path());
  }

  void TearDown() override {
    EXPECT_EQ(snapshot(root.path()), before) << "something below the test folder changed";
  }

  std::vector<Case> typedCases() const {
    const std::wstring drive = start.substr(0, 2);
    std::wstring slashed = start;
    for (auto& c : slashed) c = c == L'\\' ? L'/' : c;
    std::wstring mixed = start;
    mixed[mixed.rfind(L'\\')] = L'/';
    return {
        {root / L"missing", {}},
        {file, {}},
        {root / L"missing\\deeper", {}},
        {L"\\\\nosuchserver\\share", {}},
        {L"CON", {}},
        {L"NUL", {}},
        {L"COM1", {}},
        {start + L"\\NUL", {}},
        {L"", {}},
        {L"\"\"", {}},
        {L"\"" + start + L"\"", {}},  // typed text is taken as it stands: quotes and all
        {L"   ", {}},
        {L"q:\\", {}},
        {start + L"\\*", {}},
        {start + L"\\?", {}},
        {deep + L"\\missing", {}},
        {root / L"音乐\U0001D11E-missing", {}},
        {L"\\\\?\\" + root.path() + L"\\missing", {}},
        {start + L"\\", start},
        {start + L".", start},
        {start + L"   ", start},
        {start + L"\\.\\", start},
        {start + L"\\..\\start", start},
        {slashed, start},
        {mixed, start},
        {L"..\\with space", spaced},
        {L".", start},
        {spaced, spaced},
        {chinese, chinese},
        {astral, astral},
        {deep, deep},
        {drive + L"\\", drive + L"\\"},
        {drive, start},  // a bare drive: its current folder
    };
  }

  TestFolder root;
  std::wstring program, start, spaced, chinese, astral, file, deep;
  std::vector<std::wstring> before;
};

TEST_F(BadInputTest, TypedPathsAreTakenOrRefusedAndNothingIsTouched) {
  App app(program, L"", start);
  ASSERT_NE(app.waitForMainWindow(), nullptr);
  int row = 0;
  for (const Case& c : typedCases()) {
    // Alternate the two sides and the two ways of confirming.
    const bool left = row++ % 2 == 0;
    const int box = left ? id::kText1 : id::kText2;
    const int list = left ? id::kDir1 : id::kDir2;
    const std::wstring was = app.text(list);
    app.setText(box, c.input);
    if (left) {
      app.pressEnter(box);
    } else {
      app.click(id::kCommand5);
    }
    const std::string what = "input: " + printable(c.input);
    if (c.takenAs) {
      EXPECT_TRUE(app.waitForText(list, *c.takenAs))
          << what << " list: " << printable(app.text(list));
      EXPECT_TRUE(app.waitForText(box, *c.takenAs)) << what;
      EXPECT_FALSE(app.messageBoxOpen()) << what;
    } else {
      EXPECT_EQ(app.acknowledge().value_or(L"<none>"), kNoSuchFolder) << what;
      EXPECT_TRUE(app.waitForText(box, was)) << what << " box: " << printable(app.text(box));
      EXPECT_FALSE(app.messageBoxOpen()) << "one message for one Enter: " << what;
      EXPECT_EQ(app.text(list), was) << what;
    }
    // Back to the start folder for the next row.
    app.setText(box, start);
    app.pressEnter(box);
    ASSERT_TRUE(app.waitForText(list, start)) << what;
  }
  EXPECT_FALSE(app.waitForExit(0ms)) << "the program is still running";
}

TEST_F(BadInputTest, ArgumentsBecomeTheTargetOrEndTheProgram) {
  const std::vector<Case> cases = {
      {L"\"" + spaced + L"\"", spaced},
      {L"\"" + spaced + L"\\\"", spaced},  // a shell's quoted folder with its backslash
      {chinese, chinese},
      {L"\"" + astral + L"\"", astral},
      {L"\"" + deep + L"\"", deep},
      {L"\"" + start + L"\" \"" + spaced + L"\"", {}},
      {L"\"\"", {}},
      {file, {}},
      {L"CON", {}},
      {L"\\\\nosuchserver\\share", {}},
      {L"\"" + root / L"missing" + L"\"", {}},
  };
  for (const Case& c : cases) {
    const std::string what = "argument: " + printable(c.input);
    App app(program, c.input, start);
    if (c.takenAs) {
      EXPECT_EQ(app.acknowledge().value_or(L"<none>"), kChooseLocation) << what;
      ASSERT_NE(app.waitForMainWindow(), nullptr) << what;
      EXPECT_EQ(app.text(id::kText2), *c.takenAs) << what;
      EXPECT_FALSE(app.visible(id::kFrame2)) << what;
    } else {
      EXPECT_EQ(app.acknowledge().value_or(L"<none>"), kNotAFolder) << what;
      const auto code = app.waitForExit();
      ASSERT_TRUE(code) << what;
      EXPECT_NE(*code, 0u) << what;
    }
  }
}

}  // namespace
}  // namespace mirafold::ui

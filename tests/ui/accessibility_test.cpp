// What a screen reader reads of the main window, asked from another process as one would: the
// folder lists' rows, the drive lists' rows and the names of the edit boxes.

#include <oleacc.h>
#include <gtest/gtest.h>

#include <string>

#include "app/main_layout.h"
#include "driver/driver.h"

namespace mirafold::ui {
namespace {

namespace id = app::id;

VARIANT child(long n) {
  VARIANT v;
  ::VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = n;
  return v;
}

class Accessible {
 public:
  explicit Accessible(HWND window) {
    ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                 reinterpret_cast<void**>(&p_));
  }
  ~Accessible() {
    if (p_) p_->Release();
  }
  Accessible(const Accessible&) = delete;
  Accessible& operator=(const Accessible&) = delete;
  explicit operator bool() const { return p_ != nullptr; }

  long children() const {
    long count = -1;
    p_->get_accChildCount(&count);
    return count;
  }
  std::wstring name(long n = CHILDID_SELF) const {
    BSTR text = nullptr;
    if (p_->get_accName(child(n), &text) != S_OK || !text) return L"<none>";
    std::wstring out(text, ::SysStringLen(text));
    ::SysFreeString(text);
    return out;
  }
  long role(long n) const { return number(&IAccessible::get_accRole, n); }
  long state(long n) const { return number(&IAccessible::get_accState, n); }
  // The child reached, or the failure's HRESULT.
  long navigate(long direction, long from) const {
    VARIANT out;
    ::VariantInit(&out);
    const HRESULT hr = p_->accNavigate(direction, child(from), &out);
    return hr == S_OK && out.vt == VT_I4 ? out.lVal : hr;
  }

 private:
  long number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), long n) const {
    VARIANT out;
    ::VariantInit(&out);
    if ((p_->*get)(child(n), &out) != S_OK || out.vt != VT_I4) return -1;
    return out.lVal;
  }
  IAccessible* p_ = nullptr;
};

class AccessibilityTest : public testing::Test {
 protected:
  void SetUp() override {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    program = root.makeFolder(L"program");
    start = root.makeFolder(L"start");
    root.makeFolder(L"start\\alpha");
    root.makeFolder(L"start\\beta 测试");
    // More rows than the list shows: the last ones are out of view.
    for (int i = 0; i < kMoreRows; ++i) root.makeFolder(L"start\\zz" + std::to_wstring(10 + i));
    installProgram(program);
    app = std::make_unique<App>(program, L"", start);
    ASSERT_NE(app->waitForMainWindow(), nullptr);
  }
  void TearDown() override {
    app.reset();
    ::CoUninitialize();
  }
  static constexpr long kMoreRows = 30;
  TestFolder root;
  std::wstring program, start;
  std::unique_ptr<App> app;
};

TEST_F(AccessibilityTest, FolderListRowsAreNamedListItemsWithTheCurrentFolderSelected) {
  for (const int list : {id::kDir1, id::kDir2}) {
    const Accessible rows(app->control(list));
    ASSERT_TRUE(rows) << list;
    // The ancestors from the root down to the start folder, then its subfolders.
    std::size_t depth = 0;
    for (std::size_t at = start.find(L'\\'); at != std::wstring::npos;
         at = start.find(L'\\', at + 1)) {
      ++depth;
    }
    const long current = static_cast<long>(depth + 1);
    ASSERT_EQ(rows.children(), current + 2 + kMoreRows) << list;
    EXPECT_EQ(rows.name(1), start.substr(0, 3));
    EXPECT_EQ(rows.name(current), start.substr(start.rfind(L'\\') + 1));
    EXPECT_EQ(rows.name(current + 1), L"alpha");
    EXPECT_EQ(rows.name(current + 2), L"beta 测试");
    EXPECT_EQ(rows.name(current + 3 + kMoreRows), L"<none>") << "no row past the last";
    for (long row = 1; row <= current + 2; ++row) {
      EXPECT_EQ(rows.role(row), ROLE_SYSTEM_LISTITEM) << row;
      EXPECT_EQ((rows.state(row) & STATE_SYSTEM_SELECTED) != 0, row == current) << row;
    }
  }
}

TEST_F(AccessibilityTest, RowsOutOfViewAreOffscreenAndOnlyTheListHasFirstAndLastChildren) {
  const Accessible rows(app->control(id::kDir1));
  ASSERT_TRUE(rows);
  const long last = rows.children();
  EXPECT_EQ(rows.state(1) & STATE_SYSTEM_OFFSCREEN, 0);
  EXPECT_NE(rows.state(last) & STATE_SYSTEM_OFFSCREEN, 0);
  EXPECT_EQ(rows.navigate(NAVDIR_FIRSTCHILD, CHILDID_SELF), 1);
  EXPECT_EQ(rows.navigate(NAVDIR_LASTCHILD, CHILDID_SELF), last);
  EXPECT_EQ(rows.navigate(NAVDIR_NEXT, 1), 2);
  for (const long direction : {NAVDIR_FIRSTCHILD, NAVDIR_LASTCHILD}) {
    EXPECT_EQ(rows.navigate(direction, 2), E_INVALIDARG) << direction;
  }
  EXPECT_EQ(rows.navigate(NAVDIR_NEXT, last + 1), E_INVALIDARG);
}

TEST_F(AccessibilityTest, EditBoxesAreNamedByTheirCaptions) {
  const struct {
    int id;
    const wchar_t* name;
  } boxes[] = {
      {id::kText1, L"链接所在路径（在此处创建链接）"},
      {id::kText2, L"链接目标（链接到此处）"},
      {id::kComd, L"命令行"},
  };
  for (const auto& box : boxes) {
    const Accessible edit(app->control(box.id));
    ASSERT_TRUE(edit) << box.id;
    EXPECT_EQ(edit.name(), box.name) << box.id;
    EXPECT_EQ(edit.role(CHILDID_SELF), ROLE_SYSTEM_TEXT) << box.id;
  }
}

// The drive lists keep their rows as strings, which the system's own combo-box object reads out.
// Wine's standard object has no children for a combo box, so the strings are read here directly.
TEST_F(AccessibilityTest, DriveListRowsAreKeptAsTheirShownTexts) {
  for (const int list : {id::kDrive1, id::kDrive2}) {
    HWND box = app->control(list);
    const LRESULT count = ::SendMessageW(box, CB_GETCOUNT, 0, 0);
    ASSERT_GT(count, 0) << list;
    std::wstring rows;
    for (LRESULT row = 0; row < count; ++row) {
      wchar_t text[300] = {};
      ASSERT_LT(::SendMessageW(box, CB_GETLBTEXTLEN, row, 0), 300);
      ::SendMessageW(box, CB_GETLBTEXT, row, reinterpret_cast<LPARAM>(text));
      const std::wstring shown = text;
      // "c:" or "c: [label]"
      EXPECT_TRUE(shown.size() == 2 ||
                  (shown.size() > 5 && shown.substr(2, 2) == L" [" && shown.back() == L']'))
          << std::string(shown.begin(), shown.end());
      EXPECT_TRUE(shown[0] >= L'a' && shown[0] <= L'z' && shown[1] == L':');
      rows += shown.substr(0, 2) + L"|";
    }
    const std::wstring drive = static_cast<wchar_t>(::towlower(start[0])) + std::wstring(L":|");
    EXPECT_NE(rows.find(drive), std::wstring::npos) << list;
  }
}

}  // namespace
}  // namespace mirafold::ui

// Libraries come from the system folder only: one lying beside the program under a system
// library's name is never loaded. Wine prefers its own copy of a system library; the per-program
// override below makes it look along the search path, as Windows does for a library that is not
// a known system one.

#include <oleacc.h>
#include <gtest/gtest.h>

#include "app/main_layout.h"
#include "driver/driver.h"

namespace mirafold::ui {
namespace {

namespace id = app::id;

constexpr wchar_t kOverrides[] = L"Software\\Wine\\AppDefaults\\mirafold.exe\\DllOverrides";

// The override for mirafold.exe, taken away on every path.
class NativeFirst {
 public:
  explicit NativeFirst(const wchar_t* library) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kOverrides, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &key, nullptr) != ERROR_SUCCESS) {
      return;
    }
    static constexpr wchar_t kOrder[] = L"native,builtin";
    made_ = ::RegSetValueExW(key, library, 0, REG_SZ, reinterpret_cast<const BYTE*>(kOrder),
                             sizeof kOrder) == ERROR_SUCCESS;
    ::RegCloseKey(key);
  }
  ~NativeFirst() { ::RegDeleteKeyW(HKEY_CURRENT_USER, kOverrides); }
  NativeFirst(const NativeFirst&) = delete;
  NativeFirst& operator=(const NativeFirst&) = delete;
  bool made() const { return made_; }

 private:
  bool made_ = false;
};

// oleacc, loaded by its name once a screen reader first asks a folder list. (A library that
// Wine's own system libraries load, such as uxtheme, Wine 8 finds beside the program whatever the
// program has set.)
TEST(LibrarySearchTest, ALibraryBesideTheProgramIsNotLoaded) {
  TestFolder root;
  const std::wstring program = root.makeFolder(L"program");
  installProgram(program);
  ASSERT_TRUE(::CopyFileW((buildFolder() + L"\\marker_library.dll").c_str(),
                          (program + L"\\oleacc.dll").c_str(), FALSE));
  const NativeFirst override(L"oleacc");
  ASSERT_TRUE(override.made());
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  App app(program, L"", program);
  ASSERT_NE(app.waitForMainWindow(), nullptr);
  IAccessible* rows = nullptr;
  ::AccessibleObjectFromWindow(app.control(id::kDir1), static_cast<DWORD>(OBJID_CLIENT),
                               __uuidof(IAccessible), reinterpret_cast<void**>(&rows));
  EXPECT_NE(rows, nullptr) << "the list answers a screen reader";
  if (rows) rows->Release();
  EXPECT_FALSE(exists(program + L"\\oleacc.dll.loaded"));
  ::CoUninitialize();
}

}  // namespace
}  // namespace mirafold::ui

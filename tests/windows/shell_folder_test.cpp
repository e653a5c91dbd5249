// Special folders looked up through the shell, as the Send To dialog does.

#include <windows.h>

#include <shlobj.h>
#include <gtest/gtest.h>

#include "platform/win32/system/win32_shell.h"
#include "temp_tree.h"

namespace mirafold::win32 {
namespace {

std::wstring environment(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  const DWORD n = ::GetEnvironmentVariableW(name, value, MAX_PATH);
  return n && n < MAX_PATH ? value : L"";
}

bool samePath(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

TEST(ShellFolderTest, SendToIsTheUsersFolderWithoutATrailingBackslash) {
  const std::wstring appData = environment(L"APPDATA");
  ASSERT_FALSE(appData.empty());
  const std::wstring expected = appData + L"\\Microsoft\\Windows\\SendTo";

  Win32Shell shell;
  const std::wstring folder = shell.GetShellFolderPath(9);
  EXPECT_TRUE(samePath(folder, expected)) << folder.size() << " vs " << expected.size();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), L'\\');
  const DWORD attributes = ::GetFileAttributesW(folder.c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
}

// Points the user's Send To folder elsewhere for the scope, as a profile can.
class SendToRedirect {
 public:
  explicit SendToRedirect(const std::wstring& folder) {
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                      nullptr, &key_, nullptr);
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof value;
    had_ = ::RegQueryValueExW(key_, L"SendTo", nullptr, &type_, reinterpret_cast<BYTE*>(value),
                              &size) == ERROR_SUCCESS;
    previous_ = value;
    set(folder, REG_SZ);
  }
  ~SendToRedirect() {
    if (had_) {
      set(previous_, type_);
    } else {
      ::RegDeleteValueW(key_, L"SendTo");
    }
    ::RegCloseKey(key_);
  }
  SendToRedirect(const SendToRedirect&) = delete;
  SendToRedirect& operator=(const SendToRedirect&) = delete;

 private:
  static constexpr wchar_t kKey[] =
      L"Software\\Microsoft\\Windows\\CurrentVers"
      L"ion\\Explorer\\User Shell Folders";
  void set(const std::wstring& text, DWORD type) {
    ::RegSetValueExW(key_, L"SendTo", 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  HKEY key_ = nullptr;
  bool had_ = false;
  DWORD type_ = REG_SZ;
  std::wstring previous_;
};

TEST(ShellFolderTest, AFolderNamedOutsideTheAnsiCodePageKeepsItsName) {
  const testing::TempTree tree;
  const std::wstring folder = tree.folder(L"张三\\发送到");
  const SendToRedirect redirect(folder);
  EXPECT_EQ(Win32Shell().GetShellFolderPath(9), folder);
}

TEST(ShellFolderTest, FoldersWithoutAFileSystemPathGiveNothing) {
  const struct {
    const char* what;
    int folder;
  } cases[] = {
      {"My Computer", CSIDL_DRIVES},
      {"a number no folder has", 0x7F},
      {"a negative number", -5},
  };
  Win32Shell shell;
  for (const auto& c : cases) {
    EXPECT_EQ(shell.GetShellFolderPath(c.folder), L"") << c.what;
  }
}

}  // namespace
}  // namespace mirafold::win32

// Shortcut files written by the shell service, read back through the shell's own IShellLinkW and
// started by the shell.

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "platform/win32/com_ptr.h"
#include "platform/win32/shell.h"
#include "sendto/make_shortcut.h"
#include "temp_tree.h"

namespace mirafold::win32 {
namespace {

using testing::TempTree;

struct ReadBack {
  bool loaded = false;
  std::wstring target;
  std::wstring icon;
  int iconIndex = -1;
  WORD hotkey = 0xFFFF;
};

ReadBack readShortcut(const std::wstring& path) {
  const ComApartment apartment;
  ReadBack result;
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.putVoid())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, file.putVoid())) ||
      FAILED(file->Load(path.c_str(), STGM_READ))) {
    return result;
  }
  result.loaded = true;
  wchar_t text[MAX_PATH] = {};
  if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) result.target = text;
  text[0] = 0;
  if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &result.iconIndex))) result.icon = text;
  link->GetHotkey(&result.hotkey);
  return result;
}

// What survives a trip through the ANSI code page, the only form some readers take.
std::wstring throughAnsi(const std::wstring& text) {
  char ansi[4 * MAX_PATH] = {};
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, ansi, sizeof ansi, nullptr,
                        nullptr);
  wchar_t back[MAX_PATH] = {};
  ::MultiByteToWideChar(CP_ACP, 0, ansi, -1, back, MAX_PATH);
  return back;
}

std::string utf8(const std::wstring& text) {
  char bytes[4 * MAX_PATH] = {};
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
  return bytes;
}

std::string contentOf(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The system's automation object (which under Wine cannot do all that is asked, so that the
// shell's own shortcut object takes over), and one that does not exist at all.
const wchar_t* const kRoutes[] = {L"Wscript.shell", L"Mirafold.NoSuchObject"};

platform::ShortcutResult make(const wchar_t* route, const std::wstring& shortcut,
                              const std::wstring& target) {
  Win32Shell shell(route);
  return sendto::MakeShortcut(shell, shortcut, target);
}

class ShortcutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sendTo = Win32Shell().GetShellFolderPath(9);
    ASSERT_FALSE(sendTo.empty());
    tree.folder(L"Mira Fold");
    target = tree.file(L"Mira Fold\\mirafold.exe");
  }
  void TearDown() override {
    for (const auto& made : made_) ::DeleteFileW(made.c_str());
  }
  std::wstring inSendTo(const std::wstring& name) {
    made_.push_back(sendTo + L"\\" + name + L"-" + std::to_wstring(::GetCurrentProcessId()) +
                    L".lnk");
    return made_.back();
  }

  TempTree tree;
  std::wstring sendTo, target;

 private:
  std::vector<std::wstring> made_;
};

TEST_F(ShortcutTest, WrittenIntoSendToItReadsBackWithTargetIconAndNoHotKey) {
  for (const wchar_t* route : kRoutes) {
    SCOPED_TRACE(utf8(route));
    const std::wstring shortcut = inSendTo(L"NTFS链接（仅文件夹）-" + std::wstring(route));
    const auto result = make(route, shortcut, target);
    ASSERT_TRUE(result.written()) << utf8(result.reason);
    EXPECT_TRUE(result.reason.empty());

    const ReadBack back = readShortcut(shortcut);
    ASSERT_TRUE(back.loaded);
    EXPECT_EQ(back.target, target);
    EXPECT_EQ(back.icon, target);
    EXPECT_EQ(back.iconIndex, 0);
    EXPECT_EQ(back.hotkey, 0);
  }
}

TEST_F(ShortcutTest, ChinesePathsSurvive) {
  tree.folder(L"张三的程序");
  const std::wstring chineseTarget = tree.file(L"张三的程序\\折叠.exe");
  for (const wchar_t* route : kRoutes) {
    SCOPED_TRACE(utf8(route));
    const std::wstring shortcut = inSendTo(L"链接-" + std::wstring(route));
    ASSERT_TRUE(make(route, shortcut, chineseTarget).written());
    const ReadBack back = readShortcut(shortcut);
    ASSERT_TRUE(back.loaded);
    EXPECT_EQ(back.icon, chineseTarget);
    // Wine's reader takes the target from its ANSI form only; Windows reads the Unicode one.
    EXPECT_TRUE(back.target == chineseTarget || back.target == throughAnsi(chineseTarget))
        << utf8(back.target);
  }
}

TEST_F(ShortcutTest, AFolderThatIsNotThereGivesTheSystemsReasonAndNoFile) {
  for (const wchar_t* route : kRoutes) {
    SCOPED_TRACE(utf8(route));
    const std::wstring shortcut = tree.at(L"missing\\entry.lnk");
    const auto result = make(route, shortcut, target);
    EXPECT_FALSE(result.written());
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(::GetFileAttributesW(shortcut.c_str()), INVALID_FILE_ATTRIBUTES);
  }
}

TEST_F(ShortcutTest, WhateverIsAlreadyAtTheNameIsNeitherWrittenThroughNorReplaced) {
  for (const wchar_t* route : kRoutes) {
    SCOPED_TRACE(utf8(route));
    const std::wstring shortcut = inSendTo(L"taken-" + std::wstring(route));
    std::ofstream(shortcut.c_str(), std::ios::binary) << "someone else's file";
    const auto result = make(route, shortcut, target);
    EXPECT_FALSE(result.written());
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(contentOf(shortcut), "someone else's file");
    // Nothing of the attempt is left beside it.
    const std::wstring staging = shortcut.substr(0, shortcut.size() - 4) + L".new.lnk";
    EXPECT_EQ(::GetFileAttributesW(staging.c_str()), INVALID_FILE_ATTRIBUTES);
  }
}

TEST_F(ShortcutTest, TheShellStartsTheTargetWithTheFolderSentToIt) {
  // A batch file stands in for the program and writes down the argument it was started with.
  const std::wstring batch = tree.at(L"Mira Fold\\record.bat");
  std::ofstream(batch.c_str(), std::ios::binary) << "@echo %~1>\"%~dp0argument.txt\"\r\n";
  const std::wstring folder = tree.folder(L"Some Folder");
  for (const wchar_t* route : kRoutes) {
    SCOPED_TRACE(utf8(route));
    const std::wstring record = tree.at(L"Mira Fold\\argument.txt");
    ::DeleteFileW(record.c_str());
    const std::wstring shortcut = inSendTo(L"record-" + std::wstring(route));
    ASSERT_TRUE(make(route, shortcut, batch).written());

    const std::wstring argument = L"\"" + folder + L"\"";
    const ComApartment apartment;  // the shell resolves the shortcut through COM
    SHELLEXECUTEINFOW run{};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_FLAG_NO_UI;
    run.lpFile = shortcut.c_str();
    run.lpParameters = argument.c_str();
    run.nShow = SW_HIDE;
    ASSERT_TRUE(::ShellExecuteExW(&run)) << ::GetLastError() << " " << utf8(shortcut);
    std::string recorded;
    for (int i = 0; i < 200 && recorded.find('\n') == std::string::npos; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      recorded = contentOf(record);
    }
    const std::string expected = utf8(folder);
    EXPECT_EQ(recorded, expected + "\r\n");
  }
}

}  // namespace
}  // namespace mirafold::win32

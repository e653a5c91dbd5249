// Shortcut files written by the shell service, read back through the shell's own IShellLinkW and
// started by the shell.

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "base/text.h"
#include "base/win32/exported.h"
#include "base/win32/handles.h"
#include "platform/win32/system/win32_shell.h"
#include "sendto/make_shortcut.h"
#include "temp_tree.h"

namespace mirafold::win32 {
namespace {

using testing::TempTree;

struct ReadBack {
  bool loaded = false;
  std::wstring target;
  std::wstring idListTarget;  // the target named by the shortcut's item ID list
  std::wstring icon;
  int iconIndex = -1;
  WORD hotkey = 0xFFFF;
};

ReadBack readShortcut(const std::wstring& path) {
  const auto apartment = base::win32::joinApartment();
  ReadBack result;
  base::win32::ComPtr<IShellLinkW> link;
  base::win32::ComPtr<IPersistFile> file;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                base::voidSlot(link))) ||
      FAILED(link->QueryInterface(IID_IPersistFile, base::voidSlot(file))) ||
      FAILED(file->Load(path.c_str(), STGM_READ))) {
    return result;
  }
  result.loaded = true;
  wchar_t text[MAX_PATH] = {};
  if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) result.target = text;
  base::win32::UniqueIdList items;
  text[0] = 0;
  if (SUCCEEDED(link->GetIDList(items.put())) && items &&
      ::SHGetPathFromIDListW(items.get(), text)) {
    result.idListTarget = text;
  }
  text[0] = 0;
  if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &result.iconIndex))) result.icon = text;
  link->GetHotkey(&result.hotkey);
  return result;
}

std::string contentOf(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The target as the file's link information holds it in UTF-16 (LocalBasePathUnicode, in link
// information with a header of 0x24 bytes or more); empty when the file holds no such form.
std::wstring unicodeTargetInFile(const std::wstring& path) {
  const std::string bytes = contentOf(path);
  const auto unsignedAt = [&bytes](std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;) {
      value = value << 8 | (at + i < bytes.size() ? static_cast<std::uint8_t>(bytes[at + i]) : 0u);
    }
    return value;
  };
  const std::uint32_t flags = unsignedAt(0x14, 4);
  std::size_t info = 0x4C;                           // after the header
  if (flags & 0x1) info += 2 + unsignedAt(info, 2);  // an item ID list
  if (!(flags & 0x2) || unsignedAt(info + 4, 4) < 0x24) return {};
  std::wstring target;
  for (std::size_t at = info + unsignedAt(info + 0x1C, 4); at + 1 < bytes.size(); at += 2) {
    const auto unit = static_cast<wchar_t>(unsignedAt(at, 2));
    if (unit == 0) break;
    target += unit;
  }
  return target;
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
    SCOPED_TRACE(mirafold::base::toUtf8(route));
    const std::wstring shortcut = inSendTo(L"NTFS链接（仅文件夹）-" + std::wstring(route));
    const auto result = make(route, shortcut, target);
    ASSERT_TRUE(result.written()) << mirafold::base::toUtf8(result.reason);
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
    SCOPED_TRACE(mirafold::base::toUtf8(route));
    const std::wstring shortcut = inSendTo(L"链接-" + std::wstring(route));
    ASSERT_TRUE(make(route, shortcut, chineseTarget).written());
    const ReadBack back = readShortcut(shortcut);
    ASSERT_TRUE(back.loaded);
    EXPECT_EQ(back.icon, chineseTarget);
    // Wine's reader gives the ANSI form of the link information, where the names are '?'; there
    // the Unicode names are read from the file's item ID list or its Unicode link information.
    // An ANSI-only writer fails either way.
    std::wstring readBack = back.target;
    if (mirafold::base::win32::runningUnderWine()) {
      readBack = unicodeTargetInFile(shortcut);
      if (readBack.empty()) readBack = back.idListTarget;
    }
    EXPECT_EQ(readBack, chineseTarget) << mirafold::base::toUtf8(readBack);
  }
}

TEST_F(ShortcutTest, AFolderThatIsNotThereGivesTheSystemsReasonAndNoFile) {
  for (const wchar_t* route : kRoutes) {
    SCOPED_TRACE(mirafold::base::toUtf8(route));
    const std::wstring shortcut = tree.at(L"missing\\entry.lnk");
    const auto result = make(route, shortcut, target);
    EXPECT_FALSE(result.written());
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(::GetFileAttributesW(shortcut.c_str()), INVALID_FILE_ATTRIBUTES);
  }
}

TEST_F(ShortcutTest, WhateverIsAlreadyAtTheNameIsNeitherWrittenThroughNorReplaced) {
  for (const wchar_t* route : kRoutes) {
    SCOPED_TRACE(mirafold::base::toUtf8(route));
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
    SCOPED_TRACE(mirafold::base::toUtf8(route));
    const std::wstring record = tree.at(L"Mira Fold\\argument.txt");
    ::DeleteFileW(record.c_str());
    const std::wstring shortcut = inSendTo(L"record-" + std::wstring(route));
    ASSERT_TRUE(make(route, shortcut, batch).written());

    const std::wstring argument = L"\"" + folder + L"\"";
    const auto apartment =
        base::win32::joinApartment();  // the shell resolves the shortcut through COM
    SHELLEXECUTEINFOW run{};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_FLAG_NO_UI;
    run.lpFile = shortcut.c_str();
    run.lpParameters = argument.c_str();
    run.nShow = SW_HIDE;
    ASSERT_TRUE(::ShellExecuteExW(&run))
        << ::GetLastError() << " " << mirafold::base::toUtf8(shortcut);
    std::string recorded;
    for (int i = 0; i < 200 && recorded.find('\n') == std::string::npos; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      recorded = contentOf(record);
    }
    const std::string expected = mirafold::base::toUtf8(folder);
    EXPECT_EQ(recorded, expected + "\r\n");
  }
}

}  // namespace
}  // namespace mirafold::win32

#include "platform/win32/shell.h"

#include <shlobj.h>

#include "platform/win32/com_ptr.h"
#include "platform/win32/shortcut_automation.h"
#include "platform/win32/shortcut_file.h"
#include "platform/win32/system_message.h"
#include "platform/win32/unique_handle.h"

namespace mirafold::win32 {

std::wstring Win32Shell::GetShellFolderPath(int folder) {
  UniqueIdList items;
  if (::SHGetSpecialFolderLocation(owner_, folder, items.put()) != S_OK || !items) return {};
  // The wide call: an ANSI path would lose user names outside the system's code page.
  wchar_t path[MAX_PATH] = {};
  if (!::SHGetPathFromIDListW(items.get(), path)) return {};
  std::wstring result = path;
  if (!result.empty() && result.back() == L'\\') result.pop_back();  // a folder at a drive root
  return result;
}

namespace {

// Beside the shortcut, with the extension the writers insist on.
std::wstring stagingPathOf(const std::wstring& shortcutPath) {
  const auto dot = shortcutPath.rfind(L'.');
  return shortcutPath.substr(0, dot) + L".new" +
         (dot == std::wstring::npos ? L".lnk" : shortcutPath.substr(dot));
}

}  // namespace

platform::ShortcutResult Win32Shell::writeShortcut(const std::wstring& shortcutPath,
                                                   const std::wstring& target) {
  const ComApartment apartment;
  const AutomationResult automation =
      makeShortcutByAutomation(shortcutObject_, shortcutPath, target);
  switch (automation.outcome) {
    case AutomationResult::Written:
      return {true, {}};
    case AutomationResult::Failed:
      return {false, automation.reason};
    case AutomationResult::Unavailable:
      break;
  }
  return writeShortcutFile(shortcutPath, target);
}

platform::ShortcutResult Win32Shell::MakeShortcut(const std::wstring& shortcutPath,
                                                  const std::wstring& target) {
  // Written whole beside it, then renamed into place by a move that never replaces: whatever
  // appeared at the name meanwhile is neither written through nor overwritten.
  const std::wstring staging = stagingPathOf(shortcutPath);
  platform::ShortcutResult result = writeShortcut(staging, target);
  if (result.written &&
      !::MoveFileExW(staging.c_str(), shortcutPath.c_str(), MOVEFILE_WRITE_THROUGH)) {
    result = {false, systemMessage(::GetLastError())};
  }
  if (!result.written) ::DeleteFileW(staging.c_str());
  return result;
}

}  // namespace mirafold::win32

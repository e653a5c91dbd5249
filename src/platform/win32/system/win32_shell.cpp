#include "platform/win32/system/win32_shell.h"

#include <shlobj.h>

#include <functional>

#include "base/win32/handles.h"
#include "platform/win32/system/shortcut_automation.h"
#include "platform/win32/system/system_message.h"

namespace mirafold::win32 {
namespace {

using Outcome = platform::ShortcutResult::Outcome;

platform::ShortcutResult failure(HRESULT code) { return {Outcome::Failed, systemMessage(code)}; }

// Beside the shortcut, with the extension the writers insist on.
std::wstring stagingPathOf(const std::wstring& shortcutPath) {
  const auto dot = shortcutPath.rfind(L'.');
  return shortcutPath.substr(0, dot) + L".new" +
         (dot == std::wstring::npos ? L".lnk" : shortcutPath.substr(dot));
}

// The writer writes whole beside the shortcut, then a move that never replaces puts it in place:
// whatever appeared at the name meanwhile is neither written through nor overwritten.
platform::ShortcutResult writeNew(
    const std::wstring& shortcutPath,
    const std::function<platform::ShortcutResult(const std::wstring&)>& write) {
  const std::wstring staging = stagingPathOf(shortcutPath);
  platform::ShortcutResult result = write(staging);
  if (result.written() &&
      !::MoveFileExW(staging.c_str(), shortcutPath.c_str(), MOVEFILE_WRITE_THROUGH)) {
    result = failure(HRESULT_FROM_WIN32(::GetLastError()));
  }
  if (!result.written()) ::DeleteFileW(staging.c_str());
  return result;
}

platform::ShortcutResult saveShellLink(const std::wstring& path, const std::wstring& target) {
  base::win32::ComPtr<IShellLinkW> link;
  HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  base::voidSlot(link));
  if (FAILED(hr)) return {Outcome::Unavailable, systemMessage(hr)};
  base::win32::ComPtr<IPersistFile> file;
  if (FAILED(hr = link->SetPath(target.c_str())) ||
      FAILED(hr = link->SetIconLocation(target.c_str(), 0)) || FAILED(hr = link->SetHotkey(0)) ||
      FAILED(hr = link->QueryInterface(IID_IPersistFile, base::voidSlot(file))) ||
      FAILED(hr = file->Save(path.c_str(), TRUE))) {
    return failure(hr);
  }
  return {};
}

}  // namespace

std::wstring Win32Shell::GetShellFolderPath(int folder) {
  base::win32::UniqueIdList items;
  if (::SHGetSpecialFolderLocation(owner_, folder, items.put()) != S_OK || !items) return {};
  // The wide call: an ANSI path would lose user names outside the system's code page.
  wchar_t path[MAX_PATH] = {};
  if (!::SHGetPathFromIDListW(items.get(), path)) return {};
  std::wstring result = path;
  if (!result.empty() && result.back() == L'\\') result.pop_back();  // a folder at a drive root
  return result;
}

platform::ShortcutResult Win32Shell::writeShortcutByAutomation(const std::wstring& shortcutPath,
                                                               const std::wstring& target) {
  const auto apartment = base::win32::joinApartment();
  return writeNew(shortcutPath, [&](const std::wstring& staging) -> platform::ShortcutResult {
    const AutomationResult automation = makeShortcutByAutomation(shortcutObject_, staging, target);
    switch (automation.outcome) {
      case AutomationResult::Written:
        return {};
      case AutomationResult::Failed:
        return {Outcome::Failed, automation.reason};
      case AutomationResult::Unavailable:
        break;
    }
    return {Outcome::Unavailable, {}};
  });
}

platform::ShortcutResult Win32Shell::writeShortcutByShellLink(const std::wstring& shortcutPath,
                                                              const std::wstring& target) {
  const auto apartment = base::win32::joinApartment();
  return writeNew(shortcutPath,
                  [&](const std::wstring& staging) { return saveShellLink(staging, target); });
}

}  // namespace mirafold::win32

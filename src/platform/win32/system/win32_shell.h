#pragma once
// The shell on Win32: special folders and shortcut files.

#include <windows.h>

#include "platform/shell.h"

namespace mirafold::win32 {

class Win32Shell : public platform::Shell {
 public:
  // The automation object that writes shortcuts, by its ProgID.
  explicit Win32Shell(std::wstring shortcutObject = L"Wscript.shell")
      : shortcutObject_(std::move(shortcutObject)) {}
  // The window that owns anything the shell shows while looking a folder up.
  void setOwner(HWND owner) { owner_ = owner; }

  std::wstring GetShellFolderPath(int folder) override;
  platform::ShortcutResult writeShortcutByAutomation(const std::wstring& shortcutPath,
                                                     const std::wstring& target) override;
  platform::ShortcutResult writeShortcutByShellLink(const std::wstring& shortcutPath,
                                                    const std::wstring& target) override;

 private:
  std::wstring shortcutObject_;
  HWND owner_ = nullptr;
};

}  // namespace mirafold::win32

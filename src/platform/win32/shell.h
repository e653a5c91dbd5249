#pragma once
// The shell on Win32: special folders and shortcut files.

#include <windows.h>

#include "platform/shell.h"

namespace mirafold::win32 {

class Win32Shell : public platform::Shell {
 public:
  // The automation object that writes shortcuts, by its ProgID; our own writer stands in where it
  // cannot be created or cannot do all that is asked.
  explicit Win32Shell(std::wstring shortcutObject = L"Wscript.shell")
      : shortcutObject_(std::move(shortcutObject)) {}
  // The window that owns anything the shell shows while looking a folder up.
  void setOwner(HWND owner) { owner_ = owner; }

  std::wstring GetShellFolderPath(int folder) override;
  platform::ShortcutResult MakeShortcut(const std::wstring& shortcutPath,
                                        const std::wstring& target) override;

 private:
  // The automation object first, else our own writer; either may replace a file at the path.
  platform::ShortcutResult writeShortcut(const std::wstring& shortcutPath,
                                         const std::wstring& target);

  std::wstring shortcutObject_;
  HWND owner_ = nullptr;
};

}  // namespace mirafold::win32

#pragma once
// What the program needs of the shell: where a special folder lies, and writing a shortcut file.

#include <string>

namespace mirafold::platform {

// The shell's number for the current user's Send To folder (CSIDL_SENDTO).
inline constexpr int kSendToFolder = 9;

struct ShortcutResult {
  bool written = false;
  std::wstring reason;  // the system's explanation when not written
};

class Shell {
 public:
  virtual ~Shell() = default;
  // The file-system path of a shell special folder, without a trailing backslash; empty when the
  // folder cannot be found.
  virtual std::wstring GetShellFolderPath(int folder) = 0;
  // Writes a new shortcut file that points at target, with target's first icon as its icon and no
  // hot key; fails, leaving it alone, when anything is at the path already.
  virtual ShortcutResult MakeShortcut(const std::wstring& shortcutPath,
                                      const std::wstring& target) = 0;
};

}  // namespace mirafold::platform

#pragma once
// What the program needs of the shell: where a special folder lies, and two ways of writing a
// shortcut file.

#include <string>

namespace mirafold::platform {

// The shell's number for the current user's Send To folder (CSIDL_SENDTO).
inline constexpr int kSendToFolder = 9;

struct ShortcutResult {
  enum class Outcome {
    Written,
    Failed,       // the writer refused: see reason
    Unavailable,  // the writer is missing or cannot do all that is asked; nothing was written
  };
  Outcome outcome = Outcome::Written;
  std::wstring reason;  // the system's explanation when it failed

  bool written() const { return outcome == Outcome::Written; }
};

class Shell {
 public:
  virtual ~Shell() = default;
  // The file-system path of a shell special folder, without a trailing backslash; empty when the
  // folder cannot be found.
  virtual std::wstring GetShellFolderPath(int folder) = 0;

  // Each writes a new shortcut file that points at target, with target's first icon as its icon
  // and no hot key, whole or not at all; each fails, leaving it alone, when anything is at the
  // path. Through the automation object "Wscript.shell", late-bound by member name.
  virtual ShortcutResult writeShortcutByAutomation(const std::wstring& shortcutPath,
                                                   const std::wstring& target) = 0;
  // Through the shell's own shortcut object (IShellLinkW, saved by IPersistFile).
  virtual ShortcutResult writeShortcutByShellLink(const std::wstring& shortcutPath,
                                                  const std::wstring& target) = 0;
};

}  // namespace mirafold::platform

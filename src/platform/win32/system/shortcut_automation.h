#pragma once
// Writing a shortcut through the shell's automation object ("Wscript.shell"), late-bound by member
// name as scripts do. The caller joins a COM apartment first.

#include <string>

namespace mirafold::win32 {

struct AutomationResult {
  enum Outcome {
    Written,
    // The object cannot be created or lacks a member we need; nothing was written.
    Unavailable,
    Failed,  // the object refused: see reason
  } outcome;
  std::wstring reason;
};

AutomationResult makeShortcutByAutomation(const std::wstring& progId,
                                          const std::wstring& shortcutPath,
                                          const std::wstring& target);

}  // namespace mirafold::win32

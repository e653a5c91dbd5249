#include "sendto/make_shortcut.h"

namespace mirafold::sendto {

platform::ShortcutResult MakeShortcut(platform::Shell& shell, const std::wstring& shortcutPath,
                                      const std::wstring& target) {
  platform::ShortcutResult result = shell.writeShortcutByAutomation(shortcutPath, target);
  if (result.outcome != platform::ShortcutResult::Outcome::Unavailable) return result;
  return shell.writeShortcutByShellLink(shortcutPath, target);
}

}  // namespace mirafold::sendto

#pragma once
// Writes the Send To entry: the automation object first, the shell's own shortcut object where
// the automation object is missing or lacks a member it needs.

#include <string>

#include "platform/shell.h"

namespace mirafold::sendto {

platform::ShortcutResult MakeShortcut(platform::Shell& shell, const std::wstring& shortcutPath,
                                      const std::wstring& target);

}  // namespace mirafold::sendto

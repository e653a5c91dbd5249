#pragma once
// Writes a shortcut file with our own writer, for when the shell's automation object cannot.

#include <string>

#include "platform/shell.h"

namespace mirafold::win32 {

// Target and icon location are both target; the system's reason when the file cannot be written.
platform::ShortcutResult writeShortcutFile(const std::wstring& shortcutPath,
                                           const std::wstring& target);

}  // namespace mirafold::win32

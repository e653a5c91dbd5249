#include "sendto/sendto_form.h"

#include "sendto/make_shortcut.h"
#include "sendto/sendto_messages.h"

namespace mirafold::sendto {

SendToForm::SendToForm(SendToControls controls, SendToServices services) : s_(services) {
  controls.command1.onClick([this] { Command1_Click(); });
  controls.command2.onClick([this] { Command2_Click(); });
}

std::wstring SendToForm::shortcutPath() {
  const std::wstring folder = s_.shell.GetShellFolderPath(platform::kSendToFolder);
  if (folder.empty()) {
    // Without the folder the name alone would land at the root of the current drive.
    s_.messages.show(std::wstring(kSendToFolderNotFound));
    return {};
  }
  return folder + std::wstring(kShortcutName);
}

void SendToForm::Command1_Click() {
  const std::wstring shortcut = shortcutPath();
  if (shortcut.empty()) return;
  if (s_.files.isAnyFile(shortcut)) {
    s_.messages.show(std::wstring(kAlreadyAdded));
    return;
  }
  // The running program's own path, so that a renamed copy still gets a working entry.
  const platform::ShortcutResult result =
      MakeShortcut(s_.shell, shortcut, s_.program.programPath());
  if (!result.written()) {
    s_.messages.show(std::wstring(kAddFailed) + result.reason);
    return;
  }
  s_.messages.show(std::wstring(kAdded));
}

void SendToForm::Command2_Click() {
  const std::wstring shortcut = shortcutPath();
  if (shortcut.empty()) return;
  // With no file there the entry is absent already.
  if (s_.files.isAnyFile(shortcut)) {
    const platform::Outcome deleted = s_.files.deleteFile(shortcut);
    if (!deleted.ok) {
      s_.messages.show(std::wstring(kRemoveFailed) + deleted.reason);
      return;
    }
  }
  s_.messages.show(std::wstring(kRemoved));
}

}  // namespace mirafold::sendto

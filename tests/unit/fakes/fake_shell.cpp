#include "fakes/fake_shell.h"

namespace mirafold::fakes {

std::wstring FakeShell::GetShellFolderPath(int folder) {
  foldersAskedFor.push_back(folder);
  return folder == platform::kSendToFolder ? sendTo : std::wstring();
}

platform::ShortcutResult FakeShell::MakeShortcut(const std::wstring& shortcutPath,
                                                 const std::wstring& target) {
  if (!failure.empty()) return {false, failure};
  made.push_back({shortcutPath, target});
  files_.addFile(shortcutPath);
  return {true, L""};
}

}  // namespace mirafold::fakes

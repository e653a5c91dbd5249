#include "fakes/fake_shell.h"

namespace mirafold::fakes {

std::wstring FakeShell::GetShellFolderPath(int folder) {
  foldersAskedFor.push_back(folder);
  return folder == platform::kSendToFolder ? sendTo : std::wstring();
}

platform::ShortcutResult FakeShell::write(Writer writer, const platform::ShortcutResult& answer,
                                          const std::wstring& shortcutPath,
                                          const std::wstring& target) {
  tried.push_back(writer);
  if (!answer.written()) return answer;
  if (files_.find(shortcutPath)) return {platform::ShortcutResult::Outcome::Failed, L"exists"};
  made.push_back({shortcutPath, target, writer});
  files_.addFile(shortcutPath);
  return {};
}

platform::ShortcutResult FakeShell::writeShortcutByAutomation(const std::wstring& shortcutPath,
                                                              const std::wstring& target) {
  return write(Writer::Automation, automation, shortcutPath, target);
}

platform::ShortcutResult FakeShell::writeShortcutByShellLink(const std::wstring& shortcutPath,
                                                             const std::wstring& target) {
  return write(Writer::ShellLink, shellLink, shortcutPath, target);
}

}  // namespace mirafold::fakes

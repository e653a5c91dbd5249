#pragma once
// A shell whose Send To folder is whatever the test says, writing shortcuts into a fake file
// system by whichever writer the test leaves available.

#include <string>
#include <vector>

#include "fakes/fake_system.h"
#include "platform/shell.h"

namespace mirafold::fakes {

enum class Writer { Automation, ShellLink };

struct ShortcutMade {
  std::wstring path;
  std::wstring target;
  Writer writer = Writer::Automation;
};

class FakeShell : public platform::Shell {
 public:
  explicit FakeShell(FakeFileSystem& files) : files_(files) {}

  std::wstring GetShellFolderPath(int folder) override;
  platform::ShortcutResult writeShortcutByAutomation(const std::wstring& shortcutPath,
                                                     const std::wstring& target) override;
  platform::ShortcutResult writeShortcutByShellLink(const std::wstring& shortcutPath,
                                                    const std::wstring& target) override;

  std::wstring sendTo = L"C:\\Users\\张三\\AppData\\Roaming\\Microsoft\\Windows\\SendTo";
  std::vector<int> foldersAskedFor;
  std::vector<ShortcutMade> made;
  // How each writer answers instead of writing; Written (the default) writes.
  platform::ShortcutResult automation, shellLink;
  std::vector<Writer> tried;

 private:
  platform::ShortcutResult write(Writer writer, const platform::ShortcutResult& answer,
                                 const std::wstring& shortcutPath, const std::wstring& target);
  FakeFileSystem& files_;
};

}  // namespace mirafold::fakes

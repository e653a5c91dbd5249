#pragma once
// A shell whose Send To folder is whatever the test says, writing shortcuts into a fake file
// system.

#include <string>
#include <vector>

#include "fakes/fake_system.h"
#include "platform/shell.h"

namespace mirafold::fakes {

struct ShortcutMade {
  std::wstring path;
  std::wstring target;
};

class FakeShell : public platform::Shell {
 public:
  explicit FakeShell(FakeFileSystem& files) : files_(files) {}

  std::wstring GetShellFolderPath(int folder) override;
  platform::ShortcutResult MakeShortcut(const std::wstring& shortcutPath,
                                        const std::wstring& target) override;

  std::wstring sendTo = L"C:\\Users\\张三\\AppData\\Roaming\\Microsoft\\Windows\\SendTo";
  std::vector<int> foldersAskedFor;
  std::vector<ShortcutMade> made;
  std::wstring failure;  // when set, no shortcut is written and this is the reason

 private:
  FakeFileSystem& files_;
};

}  // namespace mirafold::fakes

#pragma once
// The Send To dialog's logic: adding and removing the program's entry in the shell's Send To menu.
// Whether the entry exists is never remembered; each click looks at the folder afresh.

#include "platform/controls.h"
#include "platform/services.h"
#include "platform/shell.h"

namespace mirafold::sendto {

struct SendToControls {
  platform::Button& command1;  // add
  platform::Button& command2;  // remove
};

struct SendToServices {
  platform::Shell& shell;
  platform::FileSystem& files;
  platform::ProgramInfo& program;
  platform::MessageBoxes& messages;
};

class SendToForm {
 public:
  SendToForm(SendToControls controls, SendToServices services);
  SendToForm(const SendToForm&) = delete;
  SendToForm& operator=(const SendToForm&) = delete;

  void Command1_Click();
  void Command2_Click();

 private:
  // The entry's full path, or empty (after telling the user) when there is no Send To folder.
  std::wstring shortcutPath();

  SendToServices s_;
};

}  // namespace mirafold::sendto

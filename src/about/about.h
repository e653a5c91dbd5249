#pragma once
// The about message and the website label.

#include <cstdint>
#include <string>

#include "platform/controls.h"
#include "platform/services.h"

namespace mirafold::about {

// Built afresh for each showing: lines joined by "\r\n", none after the last.
std::wstring aboutMessage(std::uint16_t revision);

struct AboutControls {
  platform::Label& label7;  // about
  platform::Label& label3;  // the website
};

struct AboutServices {
  platform::ProgramInfo& program;
  platform::MessageBoxes& messages;
  platform::Processes& processes;
  platform::SystemFolders& systemFolders;  // the explorer of the Windows folder opens the site
};

class AboutHandlers {
 public:
  // Takes the two labels' clicks.
  AboutHandlers(AboutControls controls, AboutServices services);
  AboutHandlers(const AboutHandlers&) = delete;
  AboutHandlers& operator=(const AboutHandlers&) = delete;

  void Label7_Click();
  void Label3_Click();

 private:
  AboutServices s_;
};

}  // namespace mirafold::about

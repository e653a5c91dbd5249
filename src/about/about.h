#pragma once
// The about message and the website label.

#include <cstdint>
#include <string>

#include "platform/services.h"

namespace mirafold::about {

// Built afresh for each showing: lines joined by "\r\n", none after the last.
std::wstring aboutMessage(std::uint16_t revision);

class AboutHandlers {
 public:
  AboutHandlers(platform::ProgramInfo& program, platform::MessageBox& messages,
                platform::Processes& processes);

  void Label7_Click();
  void Label3_Click();

 private:
  platform::ProgramInfo& program_;
  platform::MessageBox& messages_;
  platform::Processes& processes_;
};

}  // namespace mirafold::about

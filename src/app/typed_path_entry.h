#pragma once
// Typing a folder into a path box and going there with Enter or the arrow button beside it.

#include <string_view>

#include "app/main_controls.h"
#include "link/command_line_handlers.h"

namespace mirafold::app {

inline constexpr std::wstring_view kNoSuchFolder = L"目录不存在";

class TypedPathEntry {
 public:
  TypedPathEntry(MainControls& controls, Services& services,
                 link::CommandLineHandlers& commandLine);

  void Text1_KeyPress(wchar_t character);
  void Command4_Click();
  void Text2_KeyPress(wchar_t character);
  void Command5_Click();

 private:
  MainControls& c_;
  Services& s_;
  link::CommandLineHandlers& commandLine_;
};

}  // namespace mirafold::app

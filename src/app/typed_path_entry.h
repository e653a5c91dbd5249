#pragma once
// Typing a folder into a path box and going there with Enter or the arrow button beside it.

#include <string_view>

#include "link/selection_handlers.h"
#include "platform/controls.h"
#include "platform/services.h"

namespace mirafold::app {

inline constexpr std::wstring_view kNoSuchFolder = L"目录不存在";

struct TypedPathControls {
  platform::TextBox& text1;
  platform::TextBox& text2;
  platform::FolderList& dir1;
  platform::FolderList& dir2;
  platform::Button& command4;
  platform::Button& command5;
};

struct TypedPathServices {
  platform::MessageBoxes& messages;
};

class TypedPathEntry {
 public:
  // Takes the path boxes' key presses and the arrow buttons' clicks.
  TypedPathEntry(TypedPathControls controls, TypedPathServices services,
                 link::SelectionHandlers& selection);
  TypedPathEntry(const TypedPathEntry&) = delete;
  TypedPathEntry& operator=(const TypedPathEntry&) = delete;

  void Text1_KeyPress(wchar_t character);
  void Command4_Click();
  void Text2_KeyPress(wchar_t character);
  void Command5_Click();

 private:
  TypedPathControls c_;
  TypedPathServices s_;
  link::SelectionHandlers& selection_;
};

}  // namespace mirafold::app

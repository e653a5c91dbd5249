#pragma once
// The main window's start-up and its Send To label; the other handlers are objects of their own.

#include <string_view>

#include "link/selection_handlers.h"
#include "platform/controls.h"
#include "platform/services.h"

namespace mirafold::app {

inline constexpr std::wstring_view kNotAFolder = L"目录不存在，请注意你只能对文件夹执行此操作";
inline constexpr std::wstring_view kChooseLinkLocation =
    L"请在左侧列表中选择你要在哪里创建此文件夹的链接";
// The date of the version that the version label names.
inline constexpr std::wstring_view kVersionDate = L"2018.10.7";

struct StartUpControls {
  platform::Frame& frame2;
  platform::Label& label2;  // the version
  platform::Label& label5;  // opens the Send To dialog
  platform::TextBox& text1;
  platform::TextBox& text2;
  platform::FolderList& dir1;
  platform::FolderList& dir2;
};

struct StartUpServices {
  platform::ProgramInfo& program;
  platform::FileSystem& files;
  platform::Processes& processes;
  platform::MessageBoxes& messages;
};

class MainForm {
 public:
  MainForm(StartUpControls controls, StartUpServices services, link::SelectionHandlers& selection);
  MainForm(const MainForm&) = delete;
  MainForm& operator=(const MainForm&) = delete;

  // Runs once before the window is first shown; false when the program is to end without it.
  bool Form_Load();

  // How the Send To dialog is shown; it returns once the dialog is closed.
  void onOpenSendTo(platform::Handler open) { openSendTo_ = std::move(open); }
  void Label5_Click();

 private:
  bool takeArgumentAsTarget(const std::wstring& argument);

  StartUpControls c_;
  StartUpServices s_;
  link::SelectionHandlers& selection_;
  platform::Handler openSendTo_;
};

}  // namespace mirafold::app

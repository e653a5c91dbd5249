#pragma once
// The main window's logic: start-up, and the handlers of its controls, wired to them.

#include "about/about.h"
#include "app/main_controls.h"
#include "app/typed_path_entry.h"
#include "link/command_line_handlers.h"
#include "link/link_creation.h"

namespace mirafold::app {

inline constexpr std::wstring_view kNotAFolder = L"目录不存在，请注意你只能对文件夹执行此操作";
inline constexpr std::wstring_view kChooseLinkLocation =
    L"请在左侧列表中选择你要在哪里创建此文件夹的链接";

class MainForm {
 public:
  MainForm(MainControls& controls, Services& services);
  MainForm(const MainForm&) = delete;
  MainForm& operator=(const MainForm&) = delete;

  // Runs once before the window is first shown; false when the program is to end without it.
  bool Form_Load();

  // How the Send To dialog is shown; it returns once the dialog is closed.
  void onOpenSendTo(platform::Handler open) { openSendTo_ = std::move(open); }
  void Label5_Click();

 private:
  bool takeArgumentAsTarget(const std::wstring& argument);

  MainControls& c_;
  Services& s_;
  link::CommandLineHandlers commandLine_;
  link::LinkCreation linkCreation_;
  TypedPathEntry typedPathEntry_;
  about::AboutHandlers about_;
  platform::Handler openSendTo_;
};

}  // namespace mirafold::app

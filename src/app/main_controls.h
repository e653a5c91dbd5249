#pragma once
// The main window's controls and the system services its handlers use, as the handlers see them.

#include "platform/controls.h"
#include "platform/nt_volume.h"
#include "platform/services.h"

namespace mirafold::app {

struct MainControls {
  platform::Frame& frame1;
  platform::Frame& frame2;
  platform::DriveList& drive1;
  platform::DriveList& drive2;
  platform::FolderList& dir1;
  platform::FolderList& dir2;
  platform::TextBox& text1;
  platform::TextBox& text2;
  platform::TextBox& comd;
  platform::CheckBox& check1;
  platform::Button& command1;
  platform::Button& command4;
  platform::Button& command5;
  platform::Label& label2;
  platform::Label& label3;
  platform::Label& label5;
  platform::Label& label7;
  platform::Timer& timer1;
};

struct Services {
  platform::ProgramInfo& program;
  platform::FileSystem& files;
  platform::Processes& processes;
  platform::MessageBox& messages;
  platform::NtVolume& volume;
  platform::ErrorTexts& errors;
};

}  // namespace mirafold::app

#pragma once
// A whole main window of fakes, with D:\Tools holding the program and a junction.exe beside it.

#include <memory>

#include "about/about.h"
#include "app/folder_drop.h"
#include "app/main_form.h"
#include "app/typed_path_entry.h"
#include "fakes/fake_controls.h"
#include "fakes/fake_nt_volume.h"
#include "link/link_creation.h"
#include "link/selection_handlers.h"

namespace mirafold::fakes {

struct MainWindow {
  MainWindow();
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  // Builds the handlers (wiring them to the controls) once the test has arranged the world.
  app::MainForm& form();
  bool load() { return form().Form_Load(); }

  FakeFileSystem files;
  FakeMessageBoxes messages;
  FakeProcesses processes;
  FakeProgramInfo program;
  FakeNtVolume volume;
  FakeErrorTexts errors;
  FakeSystemFolders systemFolders;

  FakeFrame frame1, frame2;
  FakeDriveList drive1{L"d: [Data]"}, drive2{L"d: [Data]"};
  FakeFolderList dir1{files, L"D:\\Tools"}, dir2{files, L"D:\\Tools"};
  FakeTextBox text1, text2, comd{L""};
  FakeCheckBox check1;
  FakeButton command1{L"创建链接！"}, command4{L"→"}, command5{L"→"};
  FakeLabel label2{L"版本：v1.04"}, label3{L"作者网站："}, label5{L"添加此程序到右键菜单"},
      label7{L"关于"};
  FakeTimer timer1;

 private:
  struct Handlers;
  std::unique_ptr<Handlers> handlers_;
};

}  // namespace mirafold::fakes

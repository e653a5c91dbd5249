#include "fakes/main_window.h"

namespace mirafold::fakes {

MainWindow::MainWindow() {
  for (const auto* folder : {L"C:\\", L"C:\\Data", L"C:\\Data\\Saves", L"D:\\", L"D:\\Tools",
                             L"D:\\Links", L"E:\\", L"E:\\Games"}) {
    files.addFolder(folder);
  }
  files.addFile(L"D:\\Tools\\junction.exe");
  files.addFile(L"D:\\Tools\\mirafold.exe");
  comd.setEnabled(false);  // as the window's layout creates it
}

app::MainForm& MainWindow::form() {
  if (!form_) form_ = std::make_unique<app::MainForm>(controls, services);
  return *form_;
}

}  // namespace mirafold::fakes

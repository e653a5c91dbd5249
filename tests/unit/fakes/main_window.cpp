#include "fakes/main_window.h"

namespace mirafold::fakes {

// Wired as the program wires them, each with only its own controls and services.
struct MainWindow::Handlers {
  explicit Handlers(MainWindow& w)
      : selection({.drive1 = w.drive1,
                   .drive2 = w.drive2,
                   .dir1 = w.dir1,
                   .dir2 = w.dir2,
                   .text1 = w.text1,
                   .text2 = w.text2,
                   .comd = w.comd,
                   .check1 = w.check1},
                  {.program = w.program, .messages = w.messages}),
        creation({.dir1 = w.dir1,
                  .dir2 = w.dir2,
                  .comd = w.comd,
                  .check1 = w.check1,
                  .command1 = w.command1,
                  .timer1 = w.timer1},
                 {.program = w.program,
                  .files = w.files,
                  .processes = w.processes,
                  .messages = w.messages,
                  .volume = w.volume,
                  .errors = w.errors}),
        typedPathEntry({.text1 = w.text1,
                        .text2 = w.text2,
                        .dir1 = w.dir1,
                        .dir2 = w.dir2,
                        .command4 = w.command4,
                        .command5 = w.command5},
                       {.messages = w.messages}, selection),
        folderDrop({.frame1 = w.frame1, .frame2 = w.frame2, .dir1 = w.dir1, .dir2 = w.dir2},
                   {.files = w.files, .messages = w.messages}),
        about({.label7 = w.label7, .label3 = w.label3}, {.program = w.program,
                                                         .messages = w.messages,
                                                         .processes = w.processes,
                                                         .systemFolders = w.systemFolders}),
        form({.frame2 = w.frame2,
              .label2 = w.label2,
              .label5 = w.label5,
              .text1 = w.text1,
              .text2 = w.text2,
              .dir1 = w.dir1,
              .dir2 = w.dir2},
             {.program = w.program,
              .files = w.files,
              .processes = w.processes,
              .messages = w.messages},
             selection) {}

  link::SelectionHandlers selection;
  link::LinkCreation creation;
  app::TypedPathEntry typedPathEntry;
  app::FolderDrop folderDrop;
  about::AboutHandlers about;
  app::MainForm form;
};

MainWindow::MainWindow() {
  for (const auto* folder : {L"C:\\", L"C:\\Data", L"C:\\Data\\Saves", L"D:\\", L"D:\\Tools",
                             L"D:\\Links", L"E:\\", L"E:\\Games"}) {
    files.addFolder(folder);
  }
  files.addFile(L"D:\\Tools\\junction.exe");
  files.addFile(L"D:\\Tools\\mirafold.exe");
  comd.setEnabled(false);  // as the window's layout creates it
}

MainWindow::~MainWindow() = default;

app::MainForm& MainWindow::form() {
  if (!handlers_) handlers_ = std::make_unique<Handlers>(*this);
  return handlers_->form;
}

}  // namespace mirafold::fakes

// The composition root: builds the Win32 windows and services, wires them to the program's logic,
// and runs the message loop.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <chrono>
#include <exception>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "about/about.h"
#include "app/folder_drop.h"
#include "app/main_form.h"
#include "app/main_layout.h"
#include "app/row_menu.h"
#include "app/typed_path_entry.h"
#include "base/path_rules.h"
#include "base/win32/handles.h"
#include "base/win32/library_search.h"
#include "link/link_commands.h"
#include "link/link_creation.h"
#include "link/link_target_change.h"
#include "link/selection_handlers.h"
#include "move/elevated_move.h"
#include "move/messages.h"
#include "move/move_handlers.h"
#include "overview/link_overview.h"
#include "overview/overview_messages.h"
#include "platform/clock.h"
#include "platform/win32/system/cloud_placeholders.h"
#include "platform/win32/system/file_system.h"
#include "platform/win32/system/folder_listing.h"
#include "platform/win32/system/junction_tool_links.h"
#include "platform/win32/system/known_folders.h"
#include "platform/win32/system/local_time.h"
#include "platform/win32/system/own_links.h"
#include "platform/win32/system/protected_folder.h"
#include "platform/win32/system/system_services.h"
#include "platform/win32/system/win32_app_folders.h"
#include "platform/win32/system/win32_link_probe.h"
#include "platform/win32/system/win32_move_lock.h"
#include "platform/win32/system/win32_nt_volume.h"
#include "platform/win32/system/win32_pipes.h"
#include "platform/win32/system/win32_running_programs.h"
#include "platform/win32/system/win32_shell.h"
#include "platform/win32/system/win32_user_rights.h"
#include "platform/win32/ui/layout_window.h"
#include "platform/win32/ui/message_loop.h"
#include "platform/win32/ui/modal_dialog.h"
#include "platform/win32/ui/progress_dialog.h"
#include "platform/win32/ui/table_dialog.h"
#include "platform/win32/ui/win32_folder_picker.h"
#include "resource_ids.h"
#include "sendto/sendto_form.h"
#include "sendto/sendto_layout.h"
#include "sizes/size_overview.h"

using namespace mirafold;

namespace {

win32::Win32MoveFileSystem moveFileSystemOf(win32::LinkCommands links) {
  return win32::Win32MoveFileSystem(std::move(links),
                                    {.noJunctionTool = std::wstring(move::kNoJunctionTool),
                                     .notALink = std::wstring(move::kNotALink),
                                     .volumeMountPoint = std::wstring(move::kVolumeMountPoint)});
}

// The helper's request when the program was started as the elevated helper. The shell's
// splitting is asked only when the switch is there at all, so that a usual start does not load
// the shell before its window.
std::optional<move::HelperRequest> helperRequest(const win32::Win32ProgramInfo& program) {
  if (program.argumentText().find(move::kHelperSwitch) == std::wstring::npos) return std::nullopt;
  int count = 0;
  const base::win32::UniqueLocalMemory<LPWSTR*> argv(
      ::CommandLineToArgvW(::GetCommandLineW(), &count));
  if (!argv || count < 2 || argv.get()[1] != move::kHelperSwitch) return std::nullopt;
  return move::parseHelperArguments(std::vector<std::wstring>(argv.get() + 1, argv.get() + count));
}

// The elevated helper: no window, one move, then the end. Exits non-zero when it could not reach
// the window's pipe (and then touched nothing).
int runHelper(const move::HelperRequest& request) {
  win32::Win32Pipes pipes;
  const std::unique_ptr<platform::MessagePipe> pipe =
      pipes.connect(request.pipeName, request.window);
  if (!pipe) return static_cast<int>(::GetLastError() ? ::GetLastError() : 1);
  // Its links made here, never by a program started from the program's folder.
  win32::Win32MoveFileSystem moveFiles = moveFileSystemOf(win32::ownLinks());
  win32::Win32SystemFolders systemFolders;
  win32::Win32NtVolume volume;
  const platform::SteadyClock clock;
  win32::Win32MessageBoxes messages;  // owned by no window: its own, on top
  win32::Win32UserRights user(request.window);
  move::runElevatedMove(request, {.journalFolder = win32::makeProtectedJournalFolder(),
                                  .files = moveFiles,
                                  .systemFolders = systemFolders,
                                  .volume = volume,
                                  .clock = clock,
                                  .pipe = *pipe,
                                  .messages = messages,
                                  .user = user});
  return 0;
}

// The clock of the roads started from the window: a wait for another process on the window's
// thread keeps the windows drawn, taking no input meanwhile; every other wait just sleeps.
class WindowThreadClock final : public platform::Clock {
 public:
  std::chrono::steady_clock::time_point now() const override {
    return std::chrono::steady_clock::now();
  }
  void waitUntil(std::chrono::steady_clock::time_point time) const override {
    std::this_thread::sleep_until(time);
  }
  bool waitFor(const std::function<bool()>& done,
               std::chrono::steady_clock::time_point deadline) const override {
    if (::GetCurrentThreadId() != windowThread_) return Clock::waitFor(done, deadline);
    return win32::waitWithWindowsDrawn(done, deadline);
  }

 private:
  DWORD windowThread_ = ::GetCurrentThreadId();
};

// The test switch that sends every move through the elevated helper.
bool everyMoveThroughHelper() {
  wchar_t value[4] = {};
  return ::GetEnvironmentVariableW(L"MIRAFOLD_MOVE_THROUGH_HELPER", value, 4) == 1 &&
         value[0] == L'1';
}

int run(HINSTANCE instance) {
  win32::exposeCloudPlaceholders();
  {
    const win32::Win32ProgramInfo program;
    if (const auto request = helperRequest(program)) return runHelper(*request);
  }
  // With the manifest's version-6 common controls this gives the controls the system's style.
  ::InitCommonControls();
  // Screen readers reach the controls' accessible objects through COM on this thread. It joins
  // once the window shows: a reader's first request waits for the message loop anyway, and COM's
  // libraries then load after the window is up, not before.
  base::win32::ComApartment apartment;

  win32::Win32MessageBoxes messages;
  win32::Win32Processes processes;
  win32::Win32FileSystem files;
  win32::Win32ProgramInfo program;
  win32::Win32NtVolume volume;
  win32::Win32ErrorTexts errors;
  win32::Win32SystemFolders systemFolders;

  win32::LayoutWindow window(app::mainWindowLayout(), instance, IDI_MIRAFOLD);
  messages.setOwner(window.hwnd());
  processes.setOwner(window.hwnd());

  using platform::Button, platform::CheckBox, platform::DriveList, platform::FolderList,
      platform::Frame, platform::Label, platform::TextBox;
  auto& dir1 = window.control<FolderList>(L"Dir1");
  auto& dir2 = window.control<FolderList>(L"Dir2");
  auto& text1 = window.control<TextBox>(L"Text1");
  auto& text2 = window.control<TextBox>(L"Text2");
  auto& comd = window.control<TextBox>(L"comd");
  auto& check1 = window.control<CheckBox>(L"Check1");

  link::SelectionHandlers selection({.drive1 = window.control<DriveList>(L"Drive1"),
                                     .drive2 = window.control<DriveList>(L"Drive2"),
                                     .dir1 = dir1,
                                     .dir2 = dir2,
                                     .text1 = text1,
                                     .text2 = text2,
                                     .comd = comd,
                                     .check1 = check1},
                                    {.program = program, .messages = messages});
  const link::LinkCreation creation(
      {.dir1 = dir1,
       .dir2 = dir2,
       .comd = comd,
       .check1 = check1,
       .command1 = window.control<Button>(L"Command1"),
       .timer1 = window.addTimer(app::id::kTimer1, app::kTimer1IntervalMs)},
      {.program = program,
       .files = files,
       .processes = processes,
       .messages = messages,
       .volume = volume,
       .errors = errors});
  const app::TypedPathEntry typedPathEntry({.text1 = text1,
                                            .text2 = text2,
                                            .dir1 = dir1,
                                            .dir2 = dir2,
                                            .command4 = window.control<Button>(L"Command4"),
                                            .command5 = window.control<Button>(L"Command5")},
                                           {.messages = messages}, selection);
  const app::FolderDrop folderDrop({.frame1 = window.control<Frame>(L"Frame1"),
                                    .frame2 = window.control<Frame>(L"Frame2"),
                                    .dir1 = dir1,
                                    .dir2 = dir2},
                                   {.files = files, .messages = messages});
  const about::AboutHandlers about(
      {.label7 = window.control<Label>(L"Label7"), .label3 = window.control<Label>(L"Label3")},
      {.program = program,
       .messages = messages,
       .processes = processes,
       .systemFolders = systemFolders});
  app::MainForm form(
      {.frame2 = window.control<Frame>(L"Frame2"),
       .label2 = window.control<Label>(L"Label2"),
       .label5 = window.control<Label>(L"Label5"),
       .text1 = text1,
       .text2 = text2,
       .dir1 = dir1,
       .dir2 = dir2},
      {.program = program, .files = files, .processes = processes, .messages = messages},
      selection);

  // The Send To dialog: made at its first opening, then shown again for every later one. Its
  // message boxes are its own, so that it takes no input while one is open.
  win32::Win32Shell shell;
  shell.setOwner(window.hwnd());
  win32::Win32MessageBoxes sendToMessages;
  std::unique_ptr<win32::ModalDialog> sendToWindow;
  std::unique_ptr<sendto::SendToForm> sendToForm;
  form.onOpenSendTo([&] {
    if (!sendToWindow) {
      sendToWindow = std::make_unique<win32::ModalDialog>(sendto::sendToDialogLayout(), instance,
                                                          IDI_MIRAFOLD, window.hwnd());
      sendToMessages.setOwner(sendToWindow->hwnd());
      sendToForm = std::make_unique<sendto::SendToForm>(
          sendto::SendToControls{.command1 = sendToWindow->control<Button>(L"Command1"),
                                 .command2 = sendToWindow->control<Button>(L"Command2")},
          sendto::SendToServices{
              .shell = shell, .files = files, .program = program, .messages = sendToMessages});
    }
    sendToWindow->showModal();
  });

  if (!form.Form_Load()) return 1;
  window.show();
  apartment = base::win32::joinApartment();

  // Moving a folder away and back, and changing where a link leads, from the folder rows'
  // context menu. Wired once the window shows: finding the journal's folder loads the shell's
  // libraries, which nothing before needs.
  win32::Win32MoveFileSystem moveFiles = moveFileSystemOf(
      win32::junctionToolLinks(base::joinPath(program.programFolder(), L"junction.exe")));
  win32::Win32Pipes pipes;
  win32::Win32ProgressDialog moveProgress(window.hwnd(), {.title = std::wstring(move::kMovingTitle),
                                                          .cancel = std::wstring(move::kCancel)});
  const WindowThreadClock clock;
  win32::Win32LinkProbe linkProbe;
  win32::Win32RunningPrograms runningPrograms;
  // The links below a folder: the walk behind a window of its own, then their table.
  win32::Win32ProgressDialog linksWalk(
      window.hwnd(),
      {.title = std::wstring(overview::kLinksBelowTitle), .cancel = std::wstring(move::kCancel)});
  win32::Win32TableDialog linkTable(
      window.hwnd(),
      {.title = std::wstring(overview::kLinksBelowTitle),
       .columns = {std::begin(overview::kLinkColumns), std::end(overview::kLinkColumns)},
       .close = std::wstring(overview::kClose),
       .cancel = std::wstring(move::kCancel)});
  // A folder's subfolders by size, in the same table, filled while they are walked.
  win32::Win32FolderListing sizeListing;
  win32::Win32TableDialog sizeTable(
      window.hwnd(), {.title = std::wstring(sizes::kFolderSizesTitle),
                      .columns = {std::begin(sizes::kSizeColumns), std::end(sizes::kSizeColumns)},
                      .close = std::wstring(overview::kClose),
                      .cancel = std::wstring(move::kCancel),
                      .severalRows = true});
  sizes::SizeOverview folderSizes(
      {.files = sizeListing, .window = sizeTable, .timeText = win32::localTimeText});
  overview::LinkOverview linksBelow(
      {.files = moveFiles, .probe = linkProbe, .progress = linksWalk, .window = linkTable});
  const std::wstring journalFolder = win32::moveJournalFolder();
  win32::Win32MoveLock moveLock(base::joinPath(journalFolder, L"moves.lock"));
  move::MoveHandlers moves({.dir1 = dir1, .dir2 = dir2},
                           {.files = moveFiles,
                            .messages = messages,
                            .processes = processes,
                            .progress = moveProgress,
                            .systemFolders = systemFolders,
                            .volume = volume,
                            .clock = clock,
                            .pipes = pipes,
                            .errors = errors,
                            .programs = runningPrograms,
                            .paths = files,
                            .lock = moveLock,
                            .journalFolder = journalFolder,
                            .helperJournalFolder = win32::protectedJournalFolder(),
                            .programPath = program.programPath(),
                            .appFolders = win32::appFolders(),
                            .everyMoveThroughHelper = everyMoveThroughHelper()});
  win32::Win32FolderPicker picker;
  picker.setOwner(window.hwnd());
  link::LinkTargetChange targetChange({.dir1 = dir1, .dir2 = dir2}, {.program = program,
                                                                     .files = files,
                                                                     .links = moveFiles,
                                                                     .picker = picker,
                                                                     .processes = processes,
                                                                     .messages = messages,
                                                                     .errors = errors,
                                                                     .clock = clock});
  link::LinkCommands linkRows({.dir1 = dir1, .dir2 = dir2}, {.links = moveFiles,
                                                             .probe = linkProbe,
                                                             .messages = messages,
                                                             .processes = processes,
                                                             .errors = errors,
                                                             .clock = clock,
                                                             .programPath = program.programPath()});
  // The folder rows' menu: each feature's commands, in the one order the menu keeps.
  const app::RowMenu rowMenu(
      dir1, dir2,
      {{[&](platform::ListSide side, const std::wstring& f) { return moves.menuFor(side, f); },
        [&](platform::ListSide side, const std::wstring& f, int command) {
          moves.choose(side, f, command);
        }},
       {[&](platform::ListSide side, const std::wstring& f) { return linkRows.menuFor(side, f); },
        [&](platform::ListSide side, const std::wstring& f, int command) {
          linkRows.choose(side, f, command);
        }},
       {[&](platform::ListSide side, const std::wstring& f) {
          return targetChange.menuFor(side, f);
        },
        [&](platform::ListSide side, const std::wstring& f, int command) {
          targetChange.choose(side, f, command);
        }},
       {[&](platform::ListSide, const std::wstring& f) { return linksBelow.rowItems(f); },
        [&](platform::ListSide side, const std::wstring& f, int) {
          linksBelow.show(
              f,
              {.openTarget = {std::wstring(link::kOpenLinkTarget),
                              [&, side](const std::wstring& l) { linkRows.openTarget(side, l); }},
               .deleteLink = {std::wstring(link::kDeleteLinkOnly),
                              [&](const std::wstring& l) { linkRows.deleteLink(l); }},
               .changeTarget = {std::wstring(link::kChangeTarget),
                                [&](const std::wstring& l) { targetChange.changeLinkTarget(l); }}});
        }},
       {[&](platform::ListSide, const std::wstring& f) { return folderSizes.rowItems(f); },
        [&](platform::ListSide, const std::wstring& f, int) {
          // The chosen folders, one queue into the folder open on the right.
          folderSizes.show(f, [&](const std::vector<std::wstring>& folders) {
            moves.moveFoldersInto(folders, dir2.path());
          });
        }}});

  processes.startWaiting();
  // A move a crash cut short is finished or undone before anything else.
  moves.recoverUnfinishedMoves();
  return win32::runMessageLoop();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  base::win32::searchLibrariesInSystemFolderOnly();
  try {
    return run(instance);
  } catch (const std::exception&) {
    // Only a window that cannot be made gets here (no display, no memory): nothing to show it in.
    return 3;
  }
}

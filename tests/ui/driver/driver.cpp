#include "driver/driver.h"

#include "base/win32/handles.h"

#include "remove_scratch.h"
#include "temp_folder.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

namespace mirafold::ui {
namespace {

template <typename Condition>
bool waitUntil(Condition condition, Timeout timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(50ms);
  }
  return condition();
}

std::wstring textOf(HWND window) {
  wchar_t buffer[4096] = {};
  // A program busy starting up on a loaded machine answers late, not never: wait for it, and ask
  // again if the wait ran out.
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD_PTR copied = 0;
    if (::SendMessageTimeoutW(window, WM_GETTEXT, std::size(buffer),
                              reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL, 10000, &copied)) {
      break;
    }
    if (!::IsWindow(window)) break;
  }
  return buffer;
}

std::wstring className(HWND window) {
  wchar_t buffer[64] = {};
  ::GetClassNameW(window, buffer, static_cast<int>(std::size(buffer)));
  return buffer;
}

struct Search {
  DWORD pid;
  const wchar_t* cls;
  const wchar_t* title;
  HWND found;
  bool unownedOnly;
};

// unownedOnly: the main window, never a dialog that it owns.
HWND findTopLevel(DWORD pid, const wchar_t* cls, const wchar_t* title, bool unownedOnly = false) {
  Search search{pid, cls, title, nullptr, unownedOnly};
  ::EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner != s->pid || !::IsWindowVisible(window) || className(window) != s->cls)
          return TRUE;
        if (s->unownedOnly && ::GetWindow(window, GW_OWNER)) return TRUE;
        if (s->title && textOf(window) != s->title) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Makes a new folder of a fresh name in `parent` (ending in a backslash) and gives its name; none
// when it cannot be made. Process IDs repeat under Wine and names within one tick, so the name
// carries both and an attempt count, and a name already taken is passed over.
std::optional<std::wstring> makeFreshFolder(const std::wstring& parent) {
  for (unsigned attempt = 0;; ++attempt) {
    std::wstring name = L"mirafold-ui-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                        std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(attempt);
    if (::CreateDirectoryW((parent + name).c_str(), nullptr)) return name;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return std::nullopt;
  }
}
}  // namespace

TestFolder::TestFolder() {
  const std::optional<std::wstring> temp = testing::temporaryFolder();
  if (!temp) throw std::runtime_error("no usable temporary folder");
  const std::optional<std::wstring> name = makeFreshFolder(*temp);
  if (!name) throw std::runtime_error("cannot make a test folder");
  path_ = *temp + *name;
}

TestFolder::~TestFolder() { testing::removeScratchFolder(path_); }

OtherDriveFolder::OtherDriveFolder() {
  const std::optional<std::wstring> temp = testing::temporaryFolder();
  if (!temp) return;
  const std::optional<std::wstring> name = makeFreshFolder(L"D:\\");
  if (!name) return;
  path_ = L"D:\\" + *name;
  alias_ = *temp + L"mirafold-drive-d\\" + *name;
}

OtherDriveFolder::~OtherDriveFolder() {
  if (!alias_.empty()) testing::removeScratchFolder(alias_);
}

std::wstring TestFolder::makeFolder(const std::wstring& relative) const {
  const std::wstring full = *this / relative;
  ::SHCreateDirectoryExW(nullptr, full.c_str(), nullptr);
  return full;
}

std::wstring TestFolder::makeFile(const std::wstring& relative, const std::string& content) const {
  const std::wstring full = *this / relative;
  std::ofstream(std::filesystem::path(full), std::ios::binary) << content;
  return full;
}

std::wstring buildFolder() {
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder = self;
  return folder.substr(0, folder.rfind(L'\\'));
}

namespace {
void collect(const std::wstring& folder, const std::wstring& relative,
             std::vector<std::wstring>& out) {
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((L"\\\\?\\" + folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
    out.push_back(path + L"|" + std::to_wstring(data.dwFileAttributes) + L"|" +
                  std::to_wstring(data.nFileSizeLow) + L"|" +
                  std::to_wstring(data.ftLastWriteTime.dwLowDateTime));
    // A link's own entry is listed, never what it leads to: that lies outside the folder.
    const DWORD attributes = data.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      collect(folder + L"\\" + name, path, out);
    }
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
}
}  // namespace

std::vector<std::wstring> snapshot(const std::wstring& folder) {
  std::vector<std::wstring> entries;
  collect(folder, L"", entries);
  std::sort(entries.begin(), entries.end());
  return entries;
}

void makeDeepFolder(const std::wstring& path) {
  for (std::size_t at = path.find(L'\\', 3);; at = path.find(L'\\', at + 1)) {
    ::CreateDirectoryW((L"\\\\?\\" + path.substr(0, at)).c_str(), nullptr);
    if (at == std::wstring::npos) return;
  }
}

std::wstring programSource() {
  wchar_t folder[MAX_PATH];
  const DWORD n = ::GetEnvironmentVariableW(L"MIRAFOLD_PROGRAM_DIR", folder, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(folder) : buildFolder();
}

bool exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isRealFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::string contentOf(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  if (!in) return "<missing>";
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

DWORD runJunction(const std::wstring& arguments) {
  std::wstring line = L"\"" + programSource() + L"\\junction.exe\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
    throw std::runtime_error("cannot start junction.exe");
  }
  ::WaitForSingleObject(info.hProcess, 30000);
  DWORD code = 1;
  ::GetExitCodeProcess(info.hProcess, &code);
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  return code;
}

std::wstring sendToFolder() {
  wchar_t folder[MAX_PATH] = {};
  const HRESULT found =
      ::SHGetFolderPathW(nullptr, CSIDL_SENDTO, nullptr, SHGFP_TYPE_CURRENT, folder);
  return SUCCEEDED(found) ? folder : L"";
}

std::optional<Shortcut> readShortcut(const std::wstring& path) {
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::optional<Shortcut> result;
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
    Shortcut shortcut;
    wchar_t text[MAX_PATH] = {};
    if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) shortcut.target = text;
    text[0] = 0;
    if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &shortcut.iconIndex))) shortcut.icon = text;
    link->GetHotkey(&shortcut.hotkey);
    result = shortcut;
  }
  if (file) file->Release();
  if (link) link->Release();
  if (SUCCEEDED(com)) ::CoUninitialize();
  return result;
}

void mouseClick(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  INPUT press[2] = {};
  press[0].type = press[1].type = INPUT_MOUSE;
  press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(2, press, sizeof(INPUT));
}

bool deleteWhenReleased(const std::wstring& path) {
  return waitUntil([&] { return ::DeleteFileW(path.c_str()) != 0; }, 10s);
}

void installProgram(const std::wstring& folder, bool withJunction) {
  const std::wstring from = programSource();
  if (!::CopyFileW((from + L"\\mirafold.exe").c_str(), (folder + L"\\mirafold.exe").c_str(),
                   FALSE)) {
    throw std::runtime_error("cannot copy mirafold.exe");
  }
  if (withJunction && !::CopyFileW((from + L"\\junction.exe").c_str(),
                                   (folder + L"\\junction.exe").c_str(), FALSE)) {
    throw std::runtime_error("cannot copy junction.exe");
  }
}

App::App(const std::wstring& programFolder, const std::wstring& argument,
         const std::wstring& workingFolder)
    : App(ProgramFile{programFolder + L"\\mirafold.exe"}, argument, workingFolder) {}

App::App(const ProgramFile& program, const std::wstring& argument,
         const std::wstring& workingFolder) {
  std::wstring line = L"\"" + program.path + L"\"";
  if (!argument.empty()) line += L" " + argument;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.c_str(), &startup, &info_)) {
    throw std::runtime_error("cannot start mirafold.exe: error " +
                             std::to_string(::GetLastError()));
  }
}

App::~App() {
  if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(info_.hProcess, 99);
    ::WaitForSingleObject(info_.hProcess, 5000);
  }
  ::CloseHandle(info_.hThread);
  ::CloseHandle(info_.hProcess);
}

HWND App::waitForMainWindow(Timeout timeout) {
  waitUntil(
      [&] {
        return (main_ = findTopLevel(processId(), L"MirafoldForm", nullptr, true)) != nullptr;
      },
      timeout);
  // Shown is not yet ready: let the program reach its message loop before it is driven.
  if (main_) ::WaitForInputIdle(info_.hProcess, 10000);
  return main_;
}

HWND App::waitForWindow(const std::wstring& title, Timeout timeout, const wchar_t* windowClass) {
  HWND window = nullptr;
  waitUntil(
      [&] { return (window = findTopLevel(processId(), windowClass, title.c_str())) != nullptr; },
      timeout);
  return window;
}

std::wstring App::textIn(HWND window, int id) { return textOf(::GetDlgItem(window, id)); }

void App::clickIn(HWND window, int id) { ::PostMessageW(::GetDlgItem(window, id), BM_CLICK, 0, 0); }

void App::closeWindow(HWND window) { ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

HWND App::findMessageBox() { return findTopLevel(processId(), L"#32770", L"Mirafold"); }

bool App::messageBoxOpen() { return findMessageBox() != nullptr; }

std::optional<std::wstring> App::waitForMessage(Timeout timeout) {
  HWND box = nullptr;
  std::wstring text;
  // The box's text can still be empty just after it appears.
  const bool seen = waitUntil(
      [&] {
        box = findMessageBox();
        if (box) text = textOf(::GetDlgItem(box, 0xFFFF));
        return box && !text.empty();
      },
      timeout);
  if (!seen) return std::nullopt;
  return text;
}

namespace {

// Presses a button of a message box and waits for the box to close; false when it has no such
// button.
bool press(HWND box, int button) {
  HWND control = ::GetDlgItem(box, button);
  if (!control) return false;
  ::PostMessageW(control, BM_CLICK, 0, 0);
  waitUntil([&] { return !::IsWindow(box) || !::IsWindowVisible(box); }, 10s);
  return true;
}

}  // namespace

std::optional<std::wstring> App::acknowledge(Timeout timeout) {
  auto text = waitForMessage(timeout);
  if (!text || !press(findMessageBox(), IDOK)) return std::nullopt;
  return text;
}

std::optional<std::wstring> App::answer(bool yes, Timeout timeout) {
  auto text = waitForMessage(timeout);
  if (!text || !press(findMessageBox(), yes ? IDYES : IDNO)) return std::nullopt;
  return text;
}

DWORD App::helperProcessId() const {
  const base::win32::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    // Started by this program: one left running by an earlier test is not its helper.
    if (entry.th32ParentProcessID == processId() &&
        ::lstrcmpiW(entry.szExeFile, L"mirafold.exe") == 0) {
      return entry.th32ProcessID;
    }
  }
  return 0;
}

std::optional<std::wstring> App::answerHelper(bool yes, Timeout timeout) {
  HWND box = nullptr;
  std::wstring text;
  const bool seen = waitUntil(
      [&] {
        const DWORD helper = helperProcessId();
        box = helper ? findTopLevel(helper, L"#32770", L"Mirafold") : nullptr;
        if (box) text = textOf(::GetDlgItem(box, 0xFFFF));
        return box && !text.empty();
      },
      timeout);
  if (!seen || !press(box, yes ? IDYES : IDNO)) return std::nullopt;
  return text;
}

std::optional<std::wstring> App::retry(bool again, Timeout timeout) {
  auto text = waitForMessage(timeout);
  if (!text || !press(findMessageBox(), again ? IDRETRY : IDCANCEL)) return std::nullopt;
  return text;
}

std::optional<DWORD> App::waitForExit(Timeout timeout) {
  if (::WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

HWND App::control(int id) {
  if (!main_) waitForMainWindow();
  return ::GetDlgItem(main_, id);
}

std::wstring App::text(int id) { return textOf(control(id)); }

void App::setText(int id, const std::wstring& text) {
  ::SendMessageTimeoutW(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_NORMAL, 10000, nullptr);
}

int App::focusedControlId() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!::GetGUIThreadInfo(info_.dwThreadId, &info) || !info.hwndFocus) return 0;
  // The focus may sit in a child of the control, such as a combo box's edit part.
  HWND focus = info.hwndFocus;
  while (::GetParent(focus) && ::GetParent(focus) != main_) focus = ::GetParent(focus);
  return ::GetDlgCtrlID(focus);
}

bool App::enabled(int id) { return ::IsWindowEnabled(control(id)); }
bool App::visible(int id) { return ::IsWindowVisible(control(id)); }

void App::click(int id) { ::PostMessageW(control(id), BM_CLICK, 0, 0); }

void App::clickLabel(int id) {
  ::PostMessageW(main_, WM_COMMAND, MAKEWPARAM(id, STN_CLICKED),
                 reinterpret_cast<LPARAM>(control(id)));
}

void App::pressEnter(int id) { pressEnterOn(control(id)); }

void App::pressEnterIn(HWND window, int id) { pressEnterOn(::GetDlgItem(window, id)); }

void App::pressEnterOn(HWND target) {
  // As the keyboard does: the key goes down and up, and the message loop's translation makes the
  // character. Posting a WM_CHAR as well would type Enter twice.
  ::PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  ::PostMessageW(target, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

void App::selectDrive(int id, wchar_t letter) {
  HWND combo = control(id);
  const wchar_t prefix[] = {letter, L':', L'\0'};
  ::SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(prefix));
  ::PostMessageW(main_, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

namespace {

// The row of the list's index-th subfolder, or -1 when there is none.
LRESULT subfolderRow(HWND list, int index) {
  // Rows: the drive root and each folder down to the current one, then its subfolders.
  const std::wstring path = textOf(list);
  LRESULT ancestors = 1;
  for (std::size_t i = 3; i < path.size(); ++i) ancestors += path[i] == L'\\' ? 1 : 0;
  if (path.size() > 3) ++ancestors;
  const LRESULT row = ancestors + index;
  return row < ::SendMessageW(list, LB_GETCOUNT, 0, 0) ? row : -1;
}

}  // namespace

bool App::chooseRowCommand(int id, int index, int command) {
  HWND list = control(id);
  const LRESULT row = subfolderRow(list, index);
  if (row < 0) return false;
  ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  ::PostMessageW(list, WM_COMMAND, MAKEWPARAM(command, 0), 0);
  return true;
}

bool App::selectSubfolder(int id, int index) {
  HWND list = control(id);
  const LRESULT row = subfolderRow(list, index);
  if (row < 0) return false;
  ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  return true;
}

bool App::pickInFileDialog(HWND dialog, const std::wstring& path) {
  HWND edit = nullptr;
  // The name box is the dialog's first visible edit control, inside a combo box or not.
  waitUntil(
      [&] {
        ::EnumChildWindows(
            dialog,
            [](HWND child, LPARAM found) -> BOOL {
              if (className(child) != L"Edit" || !::IsWindowVisible(child)) return TRUE;
              *reinterpret_cast<HWND*>(found) = child;
              return FALSE;
            },
            reinterpret_cast<LPARAM>(&edit));
        return edit != nullptr;
      },
      10s);
  HWND ok = ::GetDlgItem(dialog, IDOK);
  if (!edit || !ok) return false;
  ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  ::PostMessageW(ok, BM_CLICK, 0, 0);
  return true;
}

bool App::openSubfolder(int id, int index) {
  HWND list = control(id);
  const LRESULT row = subfolderRow(list, index);
  if (row < 0) return false;
  ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  ::PostMessageW(main_, WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
  return true;
}

bool App::waitForText(int id, const std::wstring& expected, Timeout timeout) {
  return waitUntil([&] { return text(id) == expected; }, timeout);
}

namespace {

// Room in another process for one list view item and its text, freed on every path.
class RemoteItem {
 public:
  explicit RemoteItem(HANDLE process) : process_(process) {
    at_ = ::VirtualAllocEx(process, nullptr, kBytes, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteItem() {
    if (at_) ::VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
  }
  RemoteItem(const RemoteItem&) = delete;
  RemoteItem& operator=(const RemoteItem&) = delete;

  LVITEMW* item() const { return static_cast<LVITEMW*>(at_); }
  wchar_t* text() const { return reinterpret_cast<wchar_t*>(static_cast<char*>(at_) + kTextAt); }
  bool write(const LVITEMW& item) const {
    return at_ && ::WriteProcessMemory(process_, at_, &item, sizeof item, nullptr);
  }
  std::wstring readText() const {
    std::vector<wchar_t> buffer(kTextChars + 1, L'\0');
    if (!::ReadProcessMemory(process_, text(), buffer.data(), kTextChars * sizeof(wchar_t),
                             nullptr)) {
      return L"<unreadable>";
    }
    return buffer.data();
  }
  static constexpr int kTextChars = 1024;

 private:
  static constexpr std::size_t kTextAt = 256;
  static constexpr std::size_t kBytes = kTextAt + (kTextChars + 1) * sizeof(wchar_t);
  HANDLE process_;
  void* at_ = nullptr;
};

}  // namespace

int App::tableRows(HWND window, int id) {
  return static_cast<int>(::SendMessageW(::GetDlgItem(window, id), LVM_GETITEMCOUNT, 0, 0));
}

std::wstring App::tableCell(HWND window, int id, int row, int column) {
  const RemoteItem remote(info_.hProcess);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = remote.text();
  item.cchTextMax = RemoteItem::kTextChars;
  if (!remote.write(item)) return L"<unwritable>";
  ::SendMessageW(::GetDlgItem(window, id), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(remote.item()));
  return remote.readText();
}

void App::selectTableRow(HWND window, int id, int row) {
  const RemoteItem remote(info_.hProcess);
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  if (!remote.write(item)) return;
  ::SendMessageW(::GetDlgItem(window, id), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(remote.item()));
}

void App::postCommand(HWND window, int command) {
  ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

}  // namespace mirafold::ui

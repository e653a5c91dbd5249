// Measures, in one run and beside a baseline each: opening big folders in the folder list (one
// of them all links, and the time until each link's mark is known), start-up to the window shown,
// a click on the create button to the link on disk, a move, and the folder sizes' walk of the
// tree MIRAFOLD_SIZE_TREE names.
//   mirafold_bench <20,000 subfolders> <100,000 subfolders> <1,000 links> <runs>
//   [move|startup|folders|sizes]
// Prints one line per figure: name, median in ms, baseline median in ms.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/main_layout.h"
#include "driver/driver.h"
#include "move_bench.h"
#include "platform/layout.h"
#include "platform/win32/ui/folder_list.h"
#include "platform/win32/ui/layout_window.h"
#include "size_bench.h"

using namespace mirafold;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The subfolders' names, or their count alone when `names` is null.
std::size_t bareEnumeration(const std::wstring& folder,
                            std::vector<std::wstring>* names = nullptr) {
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  std::size_t count = 0;
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    ++count;
    if (names) names->emplace_back(data.cFileName);
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return count;
}

// The bare listing shown as plainly as a list can be: the names as text in a list box of the
// folder list's size and style, drawn by its owner, so that what the system's own list costs
// to draw (its scroll bar above all) is in this baseline too.
class PlainList {
 public:
  // Of the size, font and row height of `like`, beside its window so that neither covers the other.
  explicit PlainList(HWND like) {
    RECT size{};
    ::GetClientRect(like, &size);
    RECT measured{};
    ::GetWindowRect(::GetParent(like), &measured);
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW cls{};
    cls.lpfnWndProc = procedure;
    cls.hInstance = instance;
    cls.lpszClassName = L"PlainListParent";
    ::RegisterClassW(&cls);
    parent_ = ::CreateWindowW(L"PlainListParent", L"plain", WS_OVERLAPPEDWINDOW, measured.right,
                              measured.top, size.right + 40, size.bottom + 60, nullptr, nullptr,
                              instance, this);
    list_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_NODATA |
                                  LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_DISABLENOSCROLL,
                              10, 10, size.right, size.bottom, parent_, nullptr, instance, nullptr);
    ::SendMessageW(list_, WM_SETFONT, ::SendMessageW(like, WM_GETFONT, 0, 0), FALSE);
    ::SendMessageW(list_, LB_SETITEMHEIGHT, 0, ::SendMessageW(like, LB_GETITEMHEIGHT, 0, 0));
    ::ShowWindow(parent_, SW_SHOWNOACTIVATE);
  }
  ~PlainList() { ::DestroyWindow(parent_); }

  // Lists the folder and shows it; returns the milliseconds until its rows in view are drawn.
  double open(const std::wstring& folder) {
    show({});
    const auto start = Clock::now();
    std::vector<std::wstring> names;
    bareEnumeration(folder, &names);
    show(std::move(names));
    ::UpdateWindow(list_);
    return msSince(start);
  }

 private:
  void show(std::vector<std::wstring> names) {
    names_ = std::move(names);
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list_, LB_SETCOUNT, names_.size(), 0);
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
    ::UpdateWindow(list_);
  }

  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      ::SetWindowLongPtrW(
          window, GWLP_USERDATA,
          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    const auto* self = reinterpret_cast<PlainList*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_DRAWITEM && self) {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      RECT r = item.rcItem;
      ::FillRect(item.hDC, &r, ::GetSysColorBrush(COLOR_WINDOW));
      if (item.itemID < self->names_.size()) {
        const std::wstring& name = self->names_[item.itemID];
        ::DrawTextW(item.hDC, name.c_str(), static_cast<int>(name.size()), &r,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
      }
      return TRUE;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

  HWND parent_ = nullptr;
  HWND list_ = nullptr;
  std::vector<std::wstring> names_;
};

// A window holding one folder list the size of the main window's, made as the program makes its
// windows, so that drawing the rows is part of what is measured.
constexpr platform::Control kListOnly[] = {
    {L"Dir1",
     platform::ControlKind::FolderList,
     103,
     L"",
     L"",
     150,
     150,
     5115,
     3795,
     0,
     {9, false}},
};
constexpr platform::WindowLayout kListLayout{L"bench", 5500, 4200, kListOnly};

// Runs the window's messages until every link among the list's rows has its answer.
void waitForMarks(const win32::Win32FolderList& list) {
  const auto start = Clock::now();
  while (!list.marksKnown() && msSince(start) < 60000) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    if (!list.marksKnown()) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
}

// Prints "<name> <ours> <bare> <bare shown in a plain list>", "marks-<name> <ms until every link's
// mark is known>", "rows-<name> <rows>" and "memory-<name> <bytes per row>", the memory being what
// the list's rows take up (Wine reports no private bytes to measure instead).
void benchBigFolder(const std::wstring& folder, int runs, const char* name) {
  win32::LayoutWindow window(kListLayout, ::GetModuleHandleW(nullptr), 0, [] {});
  window.show();
  auto& list = window.control<platform::FolderList>(L"Dir1");
  HWND listWindow = ::GetDlgItem(window.hwnd(), 103);
  bool handled = false;
  list.onChange([&] { handled = true; });
  const std::wstring elsewhere = folder.substr(0, folder.rfind(L'\\'));
  const auto& shown = dynamic_cast<win32::Win32FolderList&>(list);
  PlainList plain(listWindow);
  std::vector<double> opened, marked, bare, plainlyShown;
  double bytesPerRow = 0;
  for (int i = 0; i < runs; ++i) {
    list.setPath(elsewhere);
    ::UpdateWindow(listWindow);
    waitForMarks(shown);
    auto start = Clock::now();
    handled = false;
    const bool moved = list.setPath(folder);
    ::UpdateWindow(listWindow);  // the rows in view are drawn before this returns
    opened.push_back(msSince(start));
    waitForMarks(shown);
    marked.push_back(msSince(start));
    if (!shown.marksKnown()) std::printf("error: the list's links were not all answered\n");
    if (i == 0) {
      const auto& rows = shown.rows();
      bytesPerRow = static_cast<double>(rows.bytes()) / static_cast<double>(rows.size());
    }
    if (!moved || !handled) std::printf("error: the list did not open the folder\n");

    start = Clock::now();
    const std::size_t count = bareEnumeration(folder);
    bare.push_back(msSince(start));
    if (count < 2) std::printf("error: the folder holds no subfolders\n");
    plainlyShown.push_back(plain.open(folder));
  }
  // Still usable at that size: scrolled to the end, the last row is there to be drawn.
  const auto rows = ::SendMessageW(listWindow, LB_GETCOUNT, 0, 0);
  ::SendMessageW(listWindow, LB_SETTOPINDEX, static_cast<WPARAM>(rows - 1), 0);
  ::UpdateWindow(listWindow);
  std::printf("rows-%s %ld\n", name, static_cast<long>(rows));
  std::printf("memory-%s %.1f\n", name, bytesPerRow);
  std::printf("marks-%s %.1f\n", name, median(marked));
  std::printf("%s %.1f %.1f %.1f\n", name, median(opened), median(bare), median(plainlyShown));
}

// Starts a program and times it until a visible top-level window of the class shows.
double timeToWindow(const std::wstring& exe, const wchar_t* windowClass,
                    const std::wstring& folder) {
  std::wstring line = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  const auto start = Clock::now();
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info)) {
    return -1;
  }
  double elapsed = -1;
  // Every window of the class is looked at: one of the program started before may not be gone yet.
  const auto shown = [&] {
    for (HWND window = nullptr;
         (window = ::FindWindowExW(nullptr, window, windowClass, nullptr)) != nullptr;) {
      DWORD pid = 0;
      ::GetWindowThreadProcessId(window, &pid);
      if (pid == info.dwProcessId && ::IsWindowVisible(window)) return true;
    }
    return false;
  };
  while (msSince(start) < 30000) {
    if (shown()) {
      elapsed = msSince(start);
      break;
    }
    ::Sleep(1);
  }
  if (elapsed < 0) std::printf("error: no window of %ls came\n", windowClass);
  ::TerminateProcess(info.hProcess, 0);
  ::WaitForSingleObject(info.hProcess, 5000);
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  return elapsed;
}

void benchStartup(int runs) {
  ui::TestFolder root;
  const std::wstring program = root.makeFolder(L"program");
  ui::installProgram(program);
  const std::wstring minimal = ui::buildFolder() + L"\\minimal_window.exe";
  const std::wstring themed = ui::buildFolder() + L"\\minimal_themed_window.exe";
  const std::wstring sameControls = ui::buildFolder() + L"\\same_controls_window.exe";
  std::vector<double> ours, baseline, themedBaseline, controlsBaseline;
  // Each start varies by a third under Wine: a median needs at least 20 of them.
  runs = std::max(runs, 20);
  for (int i = 0; i < runs; ++i) {
    ours.push_back(timeToWindow(program + L"\\mirafold.exe", L"MirafoldForm", program));
    baseline.push_back(timeToWindow(minimal, L"MinimalWindow", program));
    themedBaseline.push_back(timeToWindow(themed, L"MinimalWindow", program));
    controlsBaseline.push_back(timeToWindow(sameControls, L"SameControlsWindow", program));
  }
  std::printf("startup %.1f %.1f\n", median(ours), median(baseline));
  std::printf("startup-themed %.1f %.1f\n", median(ours), median(themedBaseline));
  std::printf("startup-same-controls %.1f %.1f\n", median(ours), median(controlsBaseline));
}

void benchLink(int runs) {
  namespace id = app::id;
  ui::TestFolder root;
  const std::wstring program = root.makeFolder(L"program");
  const std::wstring links = root.makeFolder(L"links");
  ui::installProgram(program);
  ui::App app(program, L"", links);
  app.waitForMainWindow();
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const std::wstring name = L"target" + std::to_wstring(i);
    const std::wstring target = root.makeFolder(name);
    app.setText(id::kText2, target);
    app.pressEnter(id::kText2);
    app.waitForText(id::kDir2, target);
    const std::wstring link = links + L"\\" + name;
    const auto start = Clock::now();
    app.click(id::kCommand1);
    while (!ui::exists(link) && msSince(start) < 10000) ::Sleep(1);
    times.push_back(msSince(start));
    app.acknowledge();
    app.waitForText(id::kCommand1, L"创建链接！");
    ui::runJunction(L"-d \"" + link + L"\"");
  }
  std::printf("link %.1f 500\n", median(times));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 5) {
    std::printf(
        "usage: mirafold_bench <20,000 subfolders> <100,000 subfolders> <1,000 links> "
        "<runs> [move|startup|folders|sizes]\n");
    return 2;
  }
  const int runs = std::max(1, _wtoi(argv[4]));
  const std::wstring only = argc > 5 ? argv[5] : L"";
  // "move" or "startup" after the runs: those figures alone, for working on one of them.
  if (only == L"move") {
    bench::benchMove(runs);
    return 0;
  }
  if (only == L"startup") {
    benchStartup(runs);
    return 0;
  }
  wchar_t sizeTree[MAX_PATH] = L"";
  ::GetEnvironmentVariableW(L"MIRAFOLD_SIZE_TREE", sizeTree, MAX_PATH);
  if (only == L"sizes") {
    bench::benchSizes(sizeTree, runs);
    return 0;
  }
  benchBigFolder(argv[2], std::max(3, runs / 4), "huge-folder");
  benchBigFolder(argv[1], std::max(3, runs / 4), "big-folder");
  benchBigFolder(argv[3], std::max(3, runs / 4), "links-folder");
  // "folders": the folder list's figures alone.
  if (only == L"folders") return 0;
  benchStartup(runs);
  benchLink(runs);
  bench::benchMove(std::max(3, runs / 4));
  bench::benchSizes(sizeTree, std::max(3, runs / 4));
  return 0;
}

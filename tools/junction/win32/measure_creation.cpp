// junction-measure.exe [RUNS] [shared]: times `junction.exe LINK TARGET`, as the program starts
// it, from process start until the link is present, and for comparison a run that does nothing.
// "shared" lets the tool use this program's console instead of a console of its own, which shows
// what starting a console costs.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "base/win32/handles.h"

namespace {

using junction::win32::UniqueKernelHandle;

double nowMs() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / frequency;
}

bool exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Started like the program starts the tool: minimised, without focus, and, as the program has no
// console, in a console of its own.
bool newConsole = true;

mirafold::base::win32::UniqueKernelHandle start(const std::wstring& tool,
                                                const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + tool + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMINNOACTIVE;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(tool.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        newConsole ? CREATE_NEW_CONSOLE : 0, nullptr, nullptr, &startup,
                        &process)) {
    return mirafold::base::win32::UniqueKernelHandle();
  }
  ::CloseHandle(process.hThread);
  return mirafold::base::win32::UniqueKernelHandle(process.hProcess);
}

DWORD finish(const mirafold::base::win32::UniqueKernelHandle& process) {
  DWORD code = 1;
  ::WaitForSingleObject(process.get(), 30000);
  ::GetExitCodeProcess(process.get(), &code);
  return code;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void report(const char* what, const std::vector<double>& values) {
  std::printf("%-34s median %7.1f ms  min %7.1f  max %7.1f  (n=%zu)\n", what, median(values),
              *std::min_element(values.begin(), values.end()),
              *std::max_element(values.begin(), values.end()), values.size());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int runs = argc > 1 ? std::max(1, static_cast<int>(std::wcstol(argv[1], nullptr, 10))) : 25;
  newConsole = !(argc > 2 && std::wstring(argv[2]) == L"shared");

  std::wstring self(MAX_PATH, L'\0');
  self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
  const std::wstring tool = self.substr(0, self.find_last_of(L'\\')) + L"\\junction.exe";

  std::wstring temp(MAX_PATH, L'\0');
  temp.resize(::GetTempPathW(static_cast<DWORD>(temp.size()), temp.data()));
  const std::wstring work = temp + L"junction-measure-" + std::to_wstring(::GetCurrentProcessId());
  const std::wstring target = work + L"\\target";
  if (!::CreateDirectoryW(work.c_str(), nullptr) || !::CreateDirectoryW(target.c_str(), nullptr)) {
    std::fprintf(stderr, "cannot make the work folder\n");
    return 1;
  }

  std::vector<double> present, exited, idle;
  bool failed = false;
  for (int i = -1; i < runs && !failed; ++i) {  // run -1 warms the caches and is not counted
    const std::wstring link = work + L"\\link" + std::to_wstring(i + 1);
    const double started = nowMs();
    mirafold::base::win32::UniqueKernelHandle process =
        start(tool, L"\"" + link + L"\" \"" + target + L"\"");
    if (!process) {
      failed = true;
      break;
    }
    while (!exists(link) && nowMs() - started < 10000) ::Sleep(1);
    const double seen = nowMs();
    const DWORD code = finish(process);
    const double ended = nowMs();
    failed = code != 0 || !exists(link);

    mirafold::base::win32::UniqueKernelHandle remove = start(tool, L"-d \"" + link + L"\"");
    failed = failed || !remove || finish(remove) != 0 || exists(link);

    const double idleStarted = nowMs();
    mirafold::base::win32::UniqueKernelHandle nothing = start(tool, L"/accepteula");
    failed = failed || !nothing || finish(nothing) != 0;
    const double idleEnded = nowMs();
    if (i >= 0) {
      present.push_back(seen - started);
      exited.push_back(ended - started);
      idle.push_back(idleEnded - idleStarted);
    }
  }
  ::RemoveDirectoryW(target.c_str());
  ::RemoveDirectoryW(work.c_str());
  if (failed || present.empty()) {
    std::fprintf(stderr, "a run of junction.exe failed\n");
    return 1;
  }
  report("start -> link present", present);
  report("start -> creation run ended", exited);
  report("start -> /accepteula run ended", idle);
  return 0;
}

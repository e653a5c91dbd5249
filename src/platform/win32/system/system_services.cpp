#include "platform/win32/system/system_services.h"

#include <shellapi.h>

#include <span>

#include "base/path_rules.h"
#include "base/win32/handles.h"
#include "platform/argument_text.h"
#include "platform/version_resource.h"
#include "platform/win32/system/system_message.h"

namespace mirafold::win32 {
namespace {

int showCommand(platform::WindowShow show) {
  return show == platform::WindowShow::MinimizedNoActivate ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL;
}

class Win32Process final : public platform::Process {
 public:
  explicit Win32Process(HANDLE process) : process_(process) {}
  std::optional<std::uint32_t> exitCode() override {
    if (::WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    if (!::GetExitCodeProcess(process_.get(), &code)) code = ::GetLastError();
    return code;
  }
  std::uint32_t id() const override { return ::GetProcessId(process_.get()); }

 private:
  base::win32::UniqueKernelHandle process_;
};

// The process handle, or null when it could not start.
base::win32::UniqueKernelHandle startProcess(const std::wstring& commandLine,
                                             platform::WindowShow show) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand(show));
  std::wstring mutableLine = commandLine;  // CreateProcessW may write into it
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
    return {};
  }
  base::win32::UniqueKernelHandle thread(info.hThread);
  return base::win32::UniqueKernelHandle(info.hProcess);
}

}  // namespace

int Win32MessageBoxes::box(const std::wstring& text, UINT buttons) const {
  // A box of no window (the elevated helper's) stands in front, so that it is not missed behind
  // the window that waits for it.
  const UINT standing = owner_ ? 0 : MB_SETFOREGROUND | MB_TOPMOST;
  return ::MessageBoxW(owner_, text.c_str(), kApplicationTitle, buttons | standing);
}

void Win32MessageBoxes::show(const std::wstring& text) { box(text, MB_OK); }

bool Win32MessageBoxes::ask(const std::wstring& text) {
  // The helper's question waits for a deliberate Yes (No is the default), as another program may
  // draw over its box.
  return box(text, MB_YESNO | (owner_ ? 0 : MB_DEFBUTTON2)) == IDYES;
}

bool Win32MessageBoxes::retry(const std::wstring& text) {
  return box(text, MB_RETRYCANCEL) == IDRETRY;
}

bool Win32Processes::start(const std::wstring& commandLine, platform::WindowShow show) {
  return static_cast<bool>(startProcess(commandLine, show));
}

void Win32Processes::startOnceShown(const std::wstring& commandLine, platform::WindowShow show) {
  // Under Wine a process start waits for the child to be under way, a good part of the start-up.
  waiting_.emplace_back(commandLine, show);
}

void Win32Processes::startWaiting() {
  for (const auto& [commandLine, show] : std::exchange(waiting_, {})) start(commandLine, show);
}

std::unique_ptr<platform::Process> Win32Processes::startKept(const std::wstring& commandLine,
                                                             platform::WindowShow show) {
  base::win32::UniqueKernelHandle process = startProcess(commandLine, show);
  if (!process) return nullptr;
  return std::make_unique<Win32Process>(process.release());
}

platform::ElevatedStart Win32Processes::startElevated(const std::wstring& program,
                                                      const std::wstring& parameters,
                                                      platform::WindowShow show) {
  SHELLEXECUTEINFOW execute{};
  execute.cbSize = sizeof execute;
  // The process is kept; no error box of the shell's own, the caller reports failures.
  execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  execute.hwnd = owner_;
  execute.lpVerb = L"runas";
  execute.lpFile = program.c_str();
  execute.lpParameters = parameters.c_str();
  execute.nShow = showCommand(show);
  if (!::ShellExecuteExW(&execute)) {
    const DWORD error = ::GetLastError();
    return {.process = nullptr, .declined = error == ERROR_CANCELLED, .error = error};
  }
  if (!execute.hProcess)
    return {.process = nullptr, .declined = false, .error = ERROR_INVALID_HANDLE};
  // The started program may come to the front with a box of its own (the move's helper asks).
  ::AllowSetForegroundWindow(::GetProcessId(execute.hProcess));
  return {.process = std::make_unique<Win32Process>(execute.hProcess)};
}

std::wstring Win32ErrorTexts::describe(std::uint32_t code) const { return systemMessage(code); }

std::wstring Win32ProgramInfo::programPath() const {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring Win32ProgramInfo::programFolder() const { return base::parentOf(programPath()); }

std::uint16_t Win32ProgramInfo::revision() const {
  HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  HGLOBAL loaded = found ? ::LoadResource(nullptr, found) : nullptr;
  const auto* bytes = loaded ? static_cast<const std::uint8_t*>(::LockResource(loaded)) : nullptr;
  if (!bytes) return 0;
  const auto version = platform::fileVersionOf(std::span(bytes, ::SizeofResource(nullptr, found)));
  return version ? version->revision : 0;
}

std::wstring Win32ProgramInfo::argumentText() const {
  return platform::argumentTextOf(::GetCommandLineW());
}

}  // namespace mirafold::win32

#include "platform/win32/system_services.h"

#include <span>

#include "platform/argument_text.h"
#include "platform/version_resource.h"
#include "platform/win32/unique_handle.h"

namespace mirafold::win32 {

void Win32MessageBox::show(const std::wstring& text) {
  ::MessageBoxW(owner_, text.c_str(), kApplicationTitle, MB_OK);
}

bool Win32Processes::start(const std::wstring& commandLine, platform::WindowShow show) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(
      show == platform::WindowShow::MinimizedNoActivate ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL);
  std::wstring mutableLine = commandLine;  // CreateProcessW may write into it
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
    return false;
  }
  UniqueKernelHandle process(info.hProcess);
  UniqueKernelHandle thread(info.hThread);
  return true;
}

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

std::wstring Win32ProgramInfo::programFolder() const {
  std::wstring folder = programPath();
  folder.resize(folder.rfind(L'\\') == std::wstring::npos ? 0 : folder.rfind(L'\\'));
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';  // a drive root keeps its backslash
  return folder;
}

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

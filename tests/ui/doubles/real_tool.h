#pragma once
// What the stand-ins for junction.exe hand on: the real tool, junction-real.exe beside them, run
// with the same arguments; its exit code.

#include <windows.h>

#include <string>

inline int runRealTool(int argc, wchar_t** argv) {
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring tool = self;
  tool = tool.substr(0, tool.rfind(L'\\')) + L"\\junction-real.exe";
  std::wstring line = L"\"" + tool + L"\"";
  for (int i = 1; i < argc; ++i) line += L" \"" + std::wstring(argv[i]) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(tool.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
    return static_cast<int>(::GetLastError());
  }
  ::WaitForSingleObject(info.hProcess, INFINITE);
  DWORD code = 1;
  ::GetExitCodeProcess(info.hProcess, &code);
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  return static_cast<int>(code);
}

// Stands in for a program a test expects never to be run from where it lies (a junction.exe or an
// explorer.exe beside the program): each run adds its command line to "<its own path>.ran".

#include <windows.h>

#include <string>

int wmain() {
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  const HANDLE ran = ::CreateFileW((std::wstring(self) + L".ran").c_str(), FILE_APPEND_DATA,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ran == INVALID_HANDLE_VALUE) return 1;
  const std::wstring line = std::wstring(::GetCommandLineW()) + L"\n";
  DWORD written = 0;
  ::WriteFile(ran, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written,
              nullptr);
  ::CloseHandle(ran);
  return 0;
}

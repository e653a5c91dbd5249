// Stands in for junction.exe where the user lacks the rights: the first creation is refused with
// ERROR_ACCESS_DENIED, as a folder only an administrator may write refuses it; every later one
// (the retry as administrator) has the real tool (junction-real.exe beside it) make the link.

#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"/accepteula") return 0;
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder = self;
  folder = folder.substr(0, folder.rfind(L'\\'));
  const std::wstring refusedOnce = folder + L"\\refused-once";
  if (::CreateDirectoryW(refusedOnce.c_str(), nullptr)) return ERROR_ACCESS_DENIED;

  const std::wstring tool = folder + L"\\junction-real.exe";
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

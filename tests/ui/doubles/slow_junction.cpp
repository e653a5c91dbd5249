// Stands in for junction.exe: waits 1.5 s, then has the real tool (junction-real.exe beside it)
// make the link, so that the program sees a link that comes late.

#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"/accepteula") return 0;
  ::Sleep(1500);
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
    return 2;
  }
  ::WaitForSingleObject(info.hProcess, INFINITE);
  DWORD code = 1;
  ::GetExitCodeProcess(info.hProcess, &code);
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  return static_cast<int>(code);
}

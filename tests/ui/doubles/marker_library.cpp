// Stands in for a system library lying beside the program, where a download may put one: loaded,
// it leaves "<its own path>.loaded" beside itself.

#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH];
  ::GetModuleFileNameW(self, path, MAX_PATH);
  const HANDLE loaded = ::CreateFileW((std::wstring(path) + L".loaded").c_str(), GENERIC_WRITE, 0,
                                      nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (loaded != INVALID_HANDLE_VALUE) ::CloseHandle(loaded);
  return TRUE;
}

#pragma once
// A shell script run on the host under Wine, for what a Windows test cannot make itself (a host
// link with a relative target, a name Wine would refuse).

#include <windows.h>

#include <string>

namespace mirafold::testing {

// Runs a shell script of the host in a folder and waits for it. Wine cannot wait for a host
// process, so the script leaves a marker file when it has succeeded.
inline bool runOnHost(const std::wstring& folder, const std::wstring& script) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* name = unixName ? unixName(folder.c_str()) : nullptr;
  if (!name) return false;
  std::wstring command = L"/bin/bash -c \"cd '";
  for (const char* c = name; *c; ++c)
    command += static_cast<wchar_t>(static_cast<unsigned char>(*c));
  ::HeapFree(::GetProcessHeap(), 0, name);
  command += L"' && (" + script + L") && touch host-done\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    return false;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  const std::wstring marker = folder + L"\\host-done";
  for (int waited = 0; waited < 600; ++waited) {
    if (::DeleteFileW(marker.c_str())) return true;
    ::Sleep(100);
  }
  return false;
}

}  // namespace mirafold::testing

// junction.exe: makes, shows, removes and lists NTFS directory junctions.

#include <windows.h>

#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/win32/library_search.h"
#include "host_shell.h"
#include "junction/arguments.h"
#include "junction/exit_codes.h"
#include "junction/tool.h"
#include "win32_system.h"

namespace {

// A console gets UTF-16 directly; a pipe or file gets UTF-8, which every reader here expects.
class StandardConsole : public junction::Console {
 public:
  void out(const std::wstring& line) override { write(STD_OUTPUT_HANDLE, line); }
  void err(const std::wstring& line) override { write(STD_ERROR_HANDLE, line); }

 private:
  static void write(DWORD which, const std::wstring& line) {
    const HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    std::wstring text;
    for (wchar_t c : line) {
      if (c == L'\n') text += L'\r';  // the usage text spans lines
      text += c;
    }
    text += L"\r\n";
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(handle, &mode)) {
      ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
      return;
    }
    const std::string bytes = mirafold::base::toUtf8(text);
    ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
};

// Lets the Windows code path be exercised under Wine, where it fails for want of reparse points.
bool hostLinksRefused() {
  wchar_t value[8];
  const DWORD length = ::GetEnvironmentVariableW(L"JUNCTION_NO_HOST_LINKS", value, 8);
  return length > 0 && length < 8 && value[0] != L'0';
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  mirafold::base::win32::searchLibrariesInSystemFolderOnly();
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  StandardConsole console;
  try {
    const std::vector<std::wstring> args(argv + 1, argv + argc);
    const junction::Arguments arguments = junction::parseArguments(args);
    const junction::win32::HostShell shell;
    const bool wine = shell.available();
    junction::win32::Win32System system(wine ? &shell : nullptr, wine && !hostLinksRefused());
    return static_cast<int>(junction::run(arguments, system, console));
  } catch (const std::exception& e) {
    // What can throw here is running out of memory.
    console.err(L"junction failed: " + std::wstring(e.what(), e.what() + std::strlen(e.what())));
    return static_cast<int>(junction::exit_code::kNotEnoughMemory);
  }
}

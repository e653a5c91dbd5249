#include "driver/host_side.h"

#include "driver/driver.h"

#include <cstdlib>

namespace mirafold::ui {

std::string unixPathOf(const std::wstring& path) {
  using UnixName = char*(CDECL*)(LPCWSTR);
  const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* name = unixName ? unixName(path.c_str()) : nullptr;
  std::string text = name ? name : "";
  if (name) ::HeapFree(::GetProcessHeap(), 0, name);
  return text;
}

bool startOnHost(const std::wstring& program, std::wstring line) {
  // Under Wine, once this process has started a host program, its first look at the windows
  // (EnumWindows) may wait for ever on itself: the window classes are then set up inside a call
  // that needs them. Looking once before the first host program sets them up.
  [[maybe_unused]] static const bool windowsSetUp = [] {
    ::EnumWindows([](HWND, LPARAM) { return FALSE; }, 0);
    return true;
  }();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(program.empty() ? nullptr : program.c_str(), line.data(), nullptr, nullptr,
                        FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return false;
  }
  if (info.hThread) ::CloseHandle(info.hThread);
  if (info.hProcess) ::CloseHandle(info.hProcess);
  return true;
}

namespace {

using namespace std::chrono_literals;

// A host command line of ASCII: host programs and the host paths of the temporary folder.
bool start(const std::string& line) {
  return startOnHost({}, std::wstring(line.begin(), line.end()));
}

}  // namespace

bool runOnHostIn(const std::wstring& folder, const std::string& command) {
  // Wine gives no handle to wait on: the command leaves a mark once it has ended well.
  const std::wstring mark = folder + L"\\ran-on-host";
  if (!start("/bin/sh -c \"cd '" + unixPathOf(folder) + "' && " + command +
             " && /usr/bin/touch ran-on-host\"")) {
    return false;
  }
  const bool ran = eventually([&] { return exists(mark); }, 180s);
  ::DeleteFileW(mark.c_str());
  return ran;
}

// A screenshot of the whole screen when MIRAFOLD_SHOT names a host file, taken by ImageMagick on
// the host (a Windows process under Wine can start a host program by its host path). Wine gives
// no handle to wait on for a host program: the picture is there once its file stops growing.
void screenshotIfAsked() {
  const char* shot = std::getenv("MIRAFOLD_SHOT");
  if (!shot) return;
  std::wstring seenAs = L"Z:";  // the host's root, as Wine shows it
  for (const char* c = shot; *c; ++c) seenAs += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  ::DeleteFileW(seenAs.c_str());
  if (!start(std::string("/usr/bin/import -window root ") + shot)) return;
  const auto sizeOf = [&] {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return ::GetFileAttributesExW(seenAs.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow
                                                                                : 0ul;
  };
  DWORD last = 0;
  eventually(
      [&] {
        const DWORD now = sizeOf();
        const bool settled = now > 0 && now == last;
        last = now;
        return settled;
      },
      10s);
}

// The host shell leaves a flag beside the folder once chattr has done its work, so that nothing
// is ever made inside the folder to find out (a probe made just before the change would stay).
Unchangeable::Unchangeable(const std::wstring& folder)
    : folder_(folder), unix_(unixPathOf(folder)), flag_(folder + L".unchangeable") {
  if (unix_.empty()) return;
  // Its write permissions go too (the flag keeps the mode to give back), so that the permissions
  // say what the refusal is, as an access check asks them; chattr first would forbid the chmod.
  if (!start("/bin/sh -c \"m=$(stat -c %a '" + unix_ + "') && chmod a-w '" + unix_ +
             "' && /usr/bin/chattr +i '" + unix_ + "' && echo $m > '" + unix_ +
             ".unchangeable'\"")) {
    return;
  }
  held_ = eventually([&] { return exists(flag_); }, 10s);
}

Unchangeable::~Unchangeable() {
  if (unix_.empty()) return;
  start("/bin/sh -c \"/usr/bin/chattr -i '" + unix_ + "'; chmod $(cat '" + unix_ +
        ".unchangeable' 2>/dev/null || echo u+w) '" + unix_ + "'; rm -f '" + unix_ +
        ".unchangeable'\"");
  eventually([&] { return !exists(flag_); }, 10s);
}

}  // namespace mirafold::ui

#include "driver/host_drop.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "base/command_line.h"
#include "driver/driver.h"
#include "driver/host_side.h"

namespace mirafold::ui {
namespace {

// The host's name of a Windows path.
std::string unixPath(const std::wstring& path) {
  std::string name = unixPathOf(path);
  if (name.empty()) throw std::runtime_error("no host name for a path (not under Wine?)");
  return name;
}

// The text is ASCII: escaped URIs and host paths of the temporary folder.
std::wstring widened(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::string fileUri(const std::wstring& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const unsigned char c : unixPath(path)) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

}  // namespace

DWORD hostDrop(HWND onto, const std::vector<std::wstring>& paths) {
  // The helper writes its outcome here: Wine gives no handle of a host process to wait on.
  wchar_t answer[MAX_PATH];
  wchar_t temp[MAX_PATH];
  if (!::GetTempPathW(MAX_PATH, temp) || !::GetTempFileNameW(temp, L"dnd", 0, answer)) {
    throw std::runtime_error("no answer file for xdnd_drop");
  }
  RECT r{};
  ::GetWindowRect(onto, &r);
  const std::wstring helper = buildFolder() + L"\\xdnd_drop";
  // Under Wine without a virtual desktop, screen coordinates are those of the X root window.
  std::vector<std::wstring> arguments{L"xdnd_drop", widened(unixPath(answer)),
                                      std::to_wstring((r.left + r.right) / 2),
                                      std::to_wstring((r.top + r.bottom) / 2)};
  for (const auto& path : paths) arguments.push_back(widened(fileUri(path)));
  if (!startOnHost(helper, base::joinArguments(arguments))) {
    ::DeleteFileW(answer);
    throw std::runtime_error("cannot start xdnd_drop");
  }

  DWORD outcome = 1;
  for (const ULONGLONG start = ::GetTickCount64(); ::GetTickCount64() - start < 30000;) {
    std::ifstream file{std::filesystem::path(answer)};
    std::string text;
    if (std::getline(file, text) && !text.empty() && file) {
      outcome = static_cast<DWORD>(std::stoul(text));
      break;
    }
    ::Sleep(50);
  }
  ::DeleteFileW(answer);
  return outcome;
}

}  // namespace mirafold::ui

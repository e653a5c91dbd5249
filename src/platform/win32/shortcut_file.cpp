#include "platform/win32/shortcut_file.h"

#include <windows.h>

#include "platform/win32/system_message.h"
#include "platform/win32/unique_handle.h"
#include "sendto/shell_link.h"

namespace mirafold::win32 {
namespace {

// In the system's ANSI code page; what it cannot hold becomes '?', never a
// look-alike character.
std::string ansiOf(const std::wstring& text) {
  const int size =
      ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                            static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                          ansi.data(), size, nullptr, nullptr);
  }
  return ansi;
}

// The volume the target lies on, as the format records it; zeros when it cannot
// be asked.
void describeVolume(const std::wstring& target, sendto::ShellLink& link) {
  wchar_t root[MAX_PATH + 1] = {};
  if (!::GetVolumePathNameW(target.c_str(), root, MAX_PATH + 1)) return;
  link.driveType = ::GetDriveTypeW(root);
  DWORD serial = 0;
  if (::GetVolumeInformationW(root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) {
    link.driveSerialNumber = serial;
  }
}

platform::ShortcutResult failure(DWORD error) { return {false, systemMessage(error)}; }

}  // namespace

platform::ShortcutResult writeShortcutFile(const std::wstring& shortcutPath,
                                           const std::wstring& target) {
  sendto::ShellLink link{target, ansiOf(target), target};
  describeVolume(target, link);
  const auto bytes = sendto::shellLinkBytes(link);
  if (!bytes) return failure(ERROR_FILENAME_EXCED_RANGE);

  UniqueFileHandle file(::CreateFileW(shortcutPath.c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return failure(::GetLastError());
  DWORD written = 0;
  const BOOL wrote =
      ::WriteFile(file.get(), bytes->data(), static_cast<DWORD>(bytes->size()), &written, nullptr);
  if (!wrote || written != bytes->size()) {
    const DWORD error = wrote ? ERROR_WRITE_FAULT : ::GetLastError();
    file.reset();
    // A partial shortcut would count as the entry being there.
    ::DeleteFileW(shortcutPath.c_str());
    return failure(error);
  }
  return {true, {}};
}

}  // namespace mirafold::win32

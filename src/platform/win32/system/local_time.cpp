#include "platform/win32/system/local_time.h"

#include <windows.h>

#include <cwchar>
#include <iterator>

namespace mirafold::win32 {

std::wstring localTimeText(std::uint64_t ticks) {
  const FILETIME utc{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME universal{}, local{};
  if (!::FileTimeToSystemTime(&utc, &universal) ||
      !::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) {
    return {};
  }
  wchar_t text[32];
  std::swprintf(text, std::size(text), L"%04u-%02u-%02u %02u:%02u", local.wYear, local.wMonth,
                local.wDay, local.wHour, local.wMinute);
  return text;
}

}  // namespace mirafold::win32

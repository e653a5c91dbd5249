#include "platform/win32/system/cloud_placeholders.h"

#include <windows.h>

#include "base/win32/exported.h"

namespace mirafold::win32 {

void exposeCloudPlaceholders() {
  // ntdll has it from Windows 10 1803 on; older systems, and Wine, have no placeholders.
  using SetMode = CHAR(NTAPI*)(CHAR mode);
  constexpr CHAR kExposePlaceholders = 2;  // PHCM_EXPOSE_PLACEHOLDERS
  if (const auto set = base::win32::exportedFunction<SetMode>(
          L"ntdll.dll", "RtlSetProcessPlaceholderCompatibilityMode")) {
    set(kExposePlaceholders);
  }
}

}  // namespace mirafold::win32

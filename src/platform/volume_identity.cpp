#include "platform/volume_identity.h"

#include <cwchar>

namespace mirafold::platform {

std::wstring volumeIdentity(const VolumeNames& names) {
  wchar_t text[24] = {};
  if (names.serial64 != 0) {
    std::swprintf(text, 24, L"%016llX", static_cast<unsigned long long>(names.serial64));
    return text;
  }
  if (!names.guidPath.empty()) return names.guidPath;
  if (names.serial32 != 0) {
    std::swprintf(text, 24, L"%08lX", static_cast<unsigned long>(names.serial32));
    return text;
  }
  return names.root;
}

}  // namespace mirafold::platform

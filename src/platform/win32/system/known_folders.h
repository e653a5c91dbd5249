#pragma once
// The system folders a move must not take, from the shell's known-folder list.

#include "platform/services.h"

namespace mirafold::win32 {

class Win32SystemFolders final : public platform::SystemFolders {
 public:
  std::vector<std::wstring> folders() const override;
};

}  // namespace mirafold::win32

#pragma once
// A link's target and whether it leads anywhere, asked of the system without entering the link.

#include <optional>
#include <string>

#include "base/win32/exported.h"
#include "platform/link_state.h"

namespace mirafold::win32 {

class Win32LinkProbe final : public platform::LinkProbe {
 public:
  std::optional<std::wstring> linkTarget(const std::wstring& link) override;
  std::optional<std::wstring> storedTarget(const std::wstring& link) override;
  bool isOnNetwork(const std::wstring& path) override;
  bool folderExists(const std::wstring& path) override;

 private:
  bool underWine_ = base::win32::runningUnderWine();
};

}  // namespace mirafold::win32

#pragma once
// The user's own rights, judged against their unelevated token (privileges.h's userToken), so that
// the elevated helper does for them nothing they could not do themselves.

#include <optional>
#include <string>

#include "base/win32/handles.h"
#include "platform/user_rights.h"

namespace mirafold::win32 {

class Win32UserRights final : public platform::UserRights {
 public:
  // Judged by the token of the window that started the helper (`window`, its process ID), which
  // runs as the user, even where another administrator's credentials elevated the helper.
  explicit Win32UserRights(DWORD window);
  bool mayMakeSymbolicLinks() override;
  std::optional<bool> mayReplace(const std::wstring& folder) override;

 private:
  // The token holds any of `rights` on the entry at `path`; none when its permissions cannot be
  // read or judged.
  std::optional<bool> grants(const std::wstring& path, DWORD rights) const;
  base::win32::UniqueKernelHandle token_;
};

}  // namespace mirafold::win32

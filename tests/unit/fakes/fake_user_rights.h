#pragma once
// The user's own rights, as a test sets them: by default they may make symbolic links and
// replace no folder.

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "base/path_rules.h"
#include "platform/user_rights.h"

namespace mirafold::fakes {

class FakeUserRights : public platform::UserRights {
 public:
  bool mayMakeSymbolicLinks() override { return links; }
  std::optional<bool> mayReplace(const std::wstring& folder) override {
    return std::any_of(replaceable.begin(), replaceable.end(),
                       [&](const std::wstring& f) { return base::samePath(f, folder); });
  }
  bool links = true;
  std::vector<std::wstring> replaceable;
};

}  // namespace mirafold::fakes

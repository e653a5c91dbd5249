#pragma once
// What the user who started the program could do with their own rights, however the program runs:
// the elevated helper asks before it does for them what they could not do themselves.

#include <optional>
#include <string>

namespace mirafold::platform {

class UserRights {
 public:
  virtual ~UserRights() = default;
  // The user could make symbolic links: their own token holds the privilege, or Windows is in
  // developer mode, which lets anyone make them.
  virtual bool mayMakeSymbolicLinks() = 0;
  // The user could rename, delete or replace `folder`: DELETE on it, FILE_DELETE_CHILD on its
  // parent, or the right to change either's permissions or owner. A folder not yet there is
  // judged by its parent; none when the answer cannot be had.
  virtual std::optional<bool> mayReplace(const std::wstring& folder) = 0;
};

}  // namespace mirafold::platform

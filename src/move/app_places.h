#pragma once
// Places where apps keep data that a link breaks, each with what its maker advises instead: the
// folder itself or one inside it is refused; a folder that holds one further down is moved only
// after the confirmation has said so.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/app_folders.h"

namespace mirafold::move {

struct AppPlaceFinding {
  bool refused = false;  // else told in the confirmation
  std::wstring text;     // the maker's advice, naming the place
  bool operator==(const AppPlaceFinding&) const = default;
};

// The first place of the table that moving `folder` touches. `finalPath` is where the folder
// really is, links on the way followed, when the caller knows it (empty when not); both are
// compared. `exists` tells whether an entry is at a path: a folder that holds a place is warned
// only of places that are there.
std::optional<AppPlaceFinding> appPlaceFinding(
    const std::wstring& folder, const std::wstring& finalPath, const platform::AppFolders& anchors,
    const std::function<bool(const std::wstring&)>& exists);

}  // namespace mirafold::move

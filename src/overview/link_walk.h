#pragma once
// Every junction and folder symbolic link below a folder, found without entering any link.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/link_state.h"
#include "platform/move_file_system.h"

namespace mirafold::overview {

struct FoundLink {
  std::wstring link;
  platform::LinkReading reading;
};

struct WalkCount {
  std::size_t folders = 0, links = 0;
  std::wstring folder;  // the one being listed
};

struct LinkWalk {
  std::vector<FoundLink> links;  // in the order found
  std::size_t unreadableFolders = 0;
  bool cancelled = false;
};

// Depth first, in listing order. `stop` is asked before each folder is listed: true ends the walk
// with what it found. `counted` is told now and then how far it has got, and at the end.
LinkWalk walkLinks(platform::MoveFileSystem& files, platform::LinkProbe& probe,
                   const std::wstring& folder, const std::function<bool()>& stop,
                   const std::function<void(const WalkCount&)>& counted);

}  // namespace mirafold::overview

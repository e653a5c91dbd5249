#pragma once
// Whether a link still leads somewhere: what the folder lists mark and the links overview tells.

#include <optional>
#include <string>

namespace mirafold::platform {

enum class LinkState {
  Normal,
  TargetMissing,
  // Leads to another machine: not probed, since a server that is gone holds the caller for long.
  Network,
};

// What the state needs of the system; nothing here enters a link or changes anything.
class LinkProbe {
 public:
  virtual ~LinkProbe() = default;
  // Where the link leads, as it stores it (a relative symbolic link relative to its own folder);
  // nothing when it cannot be read.
  virtual std::optional<std::wstring> linkTarget(const std::wstring& link) = 0;
  // The same from the link's own data alone, which is cheaper where the system keeps none (Wine's
  // host links): nothing then.
  virtual std::optional<std::wstring> storedTarget(const std::wstring& link) = 0;
  // A share, or a drive the system calls remote; only the root is asked about, no server.
  virtual bool isOnNetwork(const std::wstring& path) = 0;
  // An existing folder at the path, every link on the way followed, the last one too.
  virtual bool folderExists(const std::wstring& path) = 0;
};

struct LinkReading {
  std::wstring target;  // empty when it cannot be read
  LinkState state = LinkState::Normal;
};

// The link itself is followed to see whether its target is there, as the system would follow it;
// its stored target only tells whether it leads to another machine.
LinkReading readLink(LinkProbe& probe, const std::wstring& link);

// The same state from the target the link stores, for a folder list that probes every link it
// shows: a link without one is taken to lie where the link does, on another machine or not.
bool leadsNowhere(LinkProbe& probe, const std::wstring& link, bool linkOnNetwork);

}  // namespace mirafold::platform

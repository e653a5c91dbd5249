#include "platform/link_state.h"

#include "base/path_rules.h"

namespace mirafold::platform {

LinkReading readLink(LinkProbe& probe, const std::wstring& link) {
  LinkReading reading;
  reading.target = probe.linkTarget(link).value_or(std::wstring());
  // A relative target lies on the link's own volume.
  const bool absolute = base::rootLength(reading.target) > 0;
  if (probe.isOnNetwork(absolute ? reading.target : link)) {
    reading.state = LinkState::Network;
  } else if (!probe.folderExists(link)) {
    reading.state = LinkState::TargetMissing;
  }
  return reading;
}

}  // namespace mirafold::platform

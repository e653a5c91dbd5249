#include "platform/link_state.h"

#include "base/path_rules.h"

namespace mirafold::platform {

namespace {

// A relative target lies on the link's own volume.
LinkState stateOf(LinkProbe& probe, const std::wstring& link, const std::wstring& target,
                  bool linkOnNetwork) {
  const bool onNetwork = base::rootLength(target) > 0 ? probe.isOnNetwork(target) : linkOnNetwork;
  if (onNetwork) return LinkState::Network;
  return probe.folderExists(link) ? LinkState::Normal : LinkState::TargetMissing;
}

}  // namespace

LinkReading readLink(LinkProbe& probe, const std::wstring& link) {
  LinkReading reading;
  reading.target = probe.linkTarget(link).value_or(std::wstring());
  const bool absolute = base::rootLength(reading.target) > 0;
  reading.state = stateOf(probe, link, reading.target, !absolute && probe.isOnNetwork(link));
  return reading;
}

bool leadsNowhere(LinkProbe& probe, const std::wstring& link, bool linkOnNetwork) {
  return stateOf(probe, link, probe.storedTarget(link).value_or(std::wstring()), linkOnNetwork) ==
         LinkState::TargetMissing;
}

}  // namespace mirafold::platform

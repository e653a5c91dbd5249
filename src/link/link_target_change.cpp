#include "link/link_target_change.h"

#include "base/command_line.h"
#include "base/path_rules.h"
#include "base/rights.h"
#include "base/text.h"
#include "link/link_commands.h"
#include "link/tool.h"
#include "platform/entry_reading.h"

namespace mirafold::link {
namespace {

constexpr std::uint32_t kTimeout = 1460;  // ERROR_TIMEOUT

}  // namespace

LinkTargetChange::LinkTargetChange(TargetChangeControls controls, TargetChangeServices services)
    : c_(controls), s_(services) {}

// A junction, or under Wine the host link that stands in for one (a link without a tag); a
// symbolic link is not the tool's to rewrite.
bool LinkTargetChange::isJunction(const std::wstring& path) {
  platform::EntryInfo info;
  return s_.links.inspect(path, info).ok() && info.kind == platform::EntryKind::Link &&
         (info.reparseTag == platform::kTagMountPoint || info.reparseTag == 0);
}

std::vector<platform::MenuItem> LinkTargetChange::menuFor(platform::ListSide side,
                                                          const std::wstring& folder) {
  if (!isJunction(folder)) return {};
  std::vector<platform::MenuItem> items;
  if (side == platform::ListSide::Left) {
    items.push_back({kCommandPointAtRight, std::wstring(kPointAtRight), !c_.dir2.path().empty()});
  }
  items.push_back({kCommandChangeTarget, std::wstring(kChangeTarget), true});
  return items;
}

void LinkTargetChange::choose(platform::ListSide, const std::wstring& folder, int command) {
  if (command == kCommandPointAtRight) {
    changeLinkTarget(folder, c_.dir2.path());
  } else {
    changeLinkTarget(folder);
  }
}

void LinkTargetChange::changeLinkTarget(const std::wstring& link) {
  std::wstring old;
  if (const platform::MoveStatus read = s_.links.readLink(link, old); !read.ok()) {
    s_.messages.show(base::fillIn(kChangeFailed, {read.reason}));
    return;
  }
  const auto picked = s_.picker.pickFolder(std::wstring(kPickNewTarget), plainPath(old));
  if (!picked) return;
  changeLinkTarget(link, *picked);
}

void LinkTargetChange::changeLinkTarget(const std::wstring& link, const std::wstring& newTarget) {
  std::wstring old;
  if (const platform::MoveStatus read = s_.links.readLink(link, old); !read.ok()) {
    s_.messages.show(base::fillIn(kChangeFailed, {read.reason}));
    return;
  }
  if (!s_.files.isVisibleFile(toolPath(s_.program.programFolder()))) {
    s_.messages.show(std::wstring(kToolMissing));
    return;
  }
  if (const auto refusal = failedCheck(link, newTarget)) {
    s_.messages.show(base::fillIn(kChangeFailed, {*refusal}));
    return;
  }
  if (!s_.messages.ask(base::fillIn(kConfirmChange, {link, newTarget, plainPath(old)}))) return;

  const std::wstring parameters = base::joinArguments({L"-r", link, newTarget});
  ToolEnd end = runTool(parameters, false);
  if (end.how == ToolEnd::How::Ended && base::isNoRightsError(end.code)) {
    if (!s_.messages.ask(std::wstring(kChangeNoRights))) {
      refreshLists();
      return;
    }
    end = runTool(parameters, true);
  }
  tellEnd(link, newTarget, end);
  refreshLists();
}

// A creation's checks, in its order; the link's own volume holds a junction already.
std::optional<std::wstring_view> LinkTargetChange::failedCheck(const std::wstring& link,
                                                               const std::wstring& newTarget) {
  if (s_.files.isOnNetwork(link) || s_.files.isOnNetwork(newTarget)) return kNewTargetOnNetwork;
  if (base::isDriveRoot(newTarget)) return kNewTargetIsRoot;
  if (!s_.files.isVisibleFolder(newTarget)) return kNewTargetMissing;
  // Where the link lies is its folder's place with the links on the way followed, and its name:
  // the link itself is not followed. A target reached through the link itself is a loop too.
  const std::wstring place =
      base::joinPath(s_.files.resolvedPath(base::parentOf(link)), base::nameOf(link));
  if (base::isSameOrInside(place, s_.files.resolvedPath(newTarget)) ||
      base::isSameOrInside(newTarget, link)) {
    return kLinkWouldBeInsideTarget;
  }
  return std::nullopt;
}

LinkTargetChange::ToolEnd LinkTargetChange::runTool(const std::wstring& parameters, bool elevated) {
  const std::wstring folder = s_.program.programFolder();
  std::unique_ptr<platform::Process> process;
  if (elevated) {
    platform::ElevatedStart started = s_.processes.startElevated(
        toolPath(folder), parameters, platform::WindowShow::MinimizedNoActivate);
    if (started.declined) return {ToolEnd::How::Declined, 0};
    if (!started.process) return {ToolEnd::How::NotStarted, started.error};
    process = std::move(started.process);
  } else {
    process = s_.processes.startKept(toolCommand(folder) + L" " + parameters,
                                     platform::WindowShow::MinimizedNoActivate);
    if (!process) return {ToolEnd::How::NotStarted, 0};
  }
  // As long as the creation road follows its tool.
  std::optional<std::uint32_t> code;
  s_.clock.waitFor([&] { return (code = process->exitCode()).has_value(); },
                   s_.clock.now() + std::chrono::seconds(10));
  if (!code) return {ToolEnd::How::TimedOut, kTimeout};
  return {ToolEnd::How::Ended, *code};
}

void LinkTargetChange::tellEnd(const std::wstring& link, const std::wstring& newTarget,
                               const ToolEnd& end) {
  const auto failed = [this](std::wstring_view why) {
    s_.messages.show(base::fillIn(kChangeFailed, {why}));
  };
  // The tool's word is checked on the disk: another vendor's tool ends with 0 having done
  // nothing, and one that did not end in time may have finished meanwhile.
  const auto leadsThere = [&] {
    return base::samePath(s_.files.resolvedPath(link), s_.files.resolvedPath(newTarget));
  };
  switch (end.how) {
    case ToolEnd::How::Declined:
      return;
    case ToolEnd::How::NotStarted:
      failed(end.code ? s_.errors.describe(end.code) : std::wstring(kToolNotStarted));
      return;
    case ToolEnd::How::TimedOut:
    case ToolEnd::How::Ended:
      break;
  }
  if (end.how == ToolEnd::How::TimedOut || end.code == 0) {
    if (leadsThere()) {
      s_.messages.show(std::wstring(kTargetChanged));
    } else {
      failed(end.code ? s_.errors.describe(end.code) : std::wstring(kUnknownReason));
    }
  } else if (isToolsOwnCode(end.code)) {
    failed(kUnknownReason);
  } else {
    failed(s_.errors.describe(end.code));
  }
}

// Both lists show the change at once: a link's row, or a list inside the link.
void LinkTargetChange::refreshLists() {
  c_.dir1.setPath(c_.dir1.path());
  c_.dir2.setPath(c_.dir2.path());
}

}  // namespace mirafold::link

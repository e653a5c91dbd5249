#include "link/link_commands.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "base/command_line.h"
#include "base/path_rules.h"
#include "base/text.h"

namespace mirafold::link {

std::wstring plainPath(std::wstring target) {
  if (target.starts_with(L"\\??\\")) target.erase(0, 4);
  return target;
}

LinkCommands::LinkCommands(LinkCommandControls controls, LinkCommandServices services)
    : c_(controls), s_(std::move(services)) {}

std::vector<platform::MenuItem> LinkCommands::menuFor(platform::ListSide,
                                                      const std::wstring& folder) {
  platform::EntryInfo info;
  if (!s_.links.inspect(folder, info).ok() || info.kind != platform::EntryKind::Link) return {};
  const bool leadsNowhere =
      platform::readLink(s_.probe, folder).state == platform::LinkState::TargetMissing;
  return {{kCommandOpenTarget, std::wstring(kOpenLinkTarget), !leadsNowhere},
          {kCommandDeleteLink, std::wstring(kDeleteLinkOnly), true}};
}

void LinkCommands::choose(platform::ListSide side, const std::wstring& folder, int command) {
  const auto items = menuFor(side, folder);
  const bool offered = std::any_of(items.begin(), items.end(), [&](const platform::MenuItem& i) {
    return i.command == command && i.enabled;
  });
  if (!offered) return;
  if (command == kCommandOpenTarget) {
    openTarget(side, folder);
  } else {
    deleteLink(folder);
  }
}

void LinkCommands::openTarget(platform::ListSide side, const std::wstring& link) {
  std::wstring target;
  if (const platform::MoveStatus st = s_.links.readLink(link, target); !st.ok()) {
    s_.messages.show(st.reason);
    return;
  }
  (side == platform::ListSide::Left ? c_.dir1 : c_.dir2).setPath(plainPath(target));
}

void LinkCommands::deleteLink(const std::wstring& link) {
  std::wstring target;
  if (const platform::MoveStatus read = s_.links.readLink(link, target); !read.ok()) {
    s_.messages.show(read.reason);
    return;
  }
  if (!s_.messages.ask(base::fillIn(kConfirmDeleteLink, {link, plainPath(target)}))) return;
  const platform::MoveStatus st = s_.links.removeLink(link);
  if (st.code == platform::MoveStatus::Code::NoRights) {
    if (s_.messages.ask(std::wstring(kDeleteLinkNoRights))) deleteAsAdministrator(link);
  } else if (!st.ok()) {
    s_.messages.show(st.reason);
  }
  refreshLists();
}

// Our junction tool's -d, elevated, as the create road's retry starts it; followed for as long
// as the link road follows its tool.
void LinkCommands::deleteAsAdministrator(const std::wstring& link) {
  platform::ElevatedStart started = s_.processes.startElevated(
      base::joinPath(base::parentOf(s_.programPath), L"junction.exe"),
      base::joinArguments({L"-d", link}), platform::WindowShow::MinimizedNoActivate);
  if (!started.process) {
    if (!started.declined) {
      s_.messages.show(base::fillIn(kDeleteLinkFailed, {s_.errors.describe(started.error)}));
    }
    return;
  }
  std::optional<std::uint32_t> code;
  s_.clock.waitFor([&] { return (code = started.process->exitCode()).has_value(); },
                   s_.clock.now() + std::chrono::seconds(10));
  if (code && *code != 0) {
    s_.messages.show(base::fillIn(kDeleteLinkFailed, {s_.errors.describe(*code)}));
  }
}

// Both lists show the change at once: a link's row, or a list inside the link.
void LinkCommands::refreshLists() {
  c_.dir1.setPath(c_.dir1.path());
  c_.dir2.setPath(c_.dir2.path());
}

}  // namespace mirafold::link

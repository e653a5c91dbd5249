#include "link/link_creation.h"

#include "base/path_rules.h"
#include "base/rights.h"
#include "link/command_line.h"
#include "link/tool.h"
#include "volume/file_system_name.h"

namespace mirafold::link {

LinkCreation::LinkCreation(LinkCreationControls controls, LinkCreationServices services)
    : c_(controls), s_(services) {
  c_.command1.onClick([this] { Command1_Click(); });
  c_.timer1.onTick([this] { Timer1_Timer(); });
}

void LinkCreation::Command1_Click() {
  const std::wstring programFolder = s_.program.programFolder();
  if (!s_.files.isVisibleFile(toolPath(programFolder))) {
    show(kToolMissing);
    return;
  }
  const bool customMode = c_.check1.value() == 1;
  // The link the composed line creates: from Dir1's path, whatever Text1 holds unconfirmed.
  const std::wstring linkPath = linkPathOf(c_.dir1.path(), c_.dir2.path());
  if (!customMode) {
    if (const auto failure = failedCheck(linkPath); !failure.empty()) {
      show(failure);
      return;
    }
  }

  c_.command1.setText(std::wstring(kCreating));
  c_.command1.setEnabled(false);
  const std::wstring line = c_.comd.text();
  auto process = s_.processes.startKept(line, platform::WindowShow::MinimizedNoActivate);
  if (!process) {
    show(kStartFailed);
    becomeIdle();
    return;
  }
  started_ = {.linkPath = linkPath,
              .customMode = customMode,
              .parameters = customMode ? std::nullopt : toolParameters(line, programFolder),
              .process = std::move(process),
              .ticks = 0};
  c_.timer1.setEnabled(true);
}

std::wstring_view LinkCreation::failedCheck(const std::wstring& linkPath) {
  // The volume the link will be made on, which typed entry can have taken away from Drive1's.
  if (!volume::holdsLinks(
          volume::GetFileSystemName(s_.volume, volume::volumeRootOf(linkPath)).name)) {
    return volume::kNotNtfs;
  }
  const std::wstring target = c_.dir2.path();
  // A junction leads only to a folder of this machine, and is made only on one of its volumes.
  if (s_.files.isOnNetwork(linkPath) || s_.files.isOnNetwork(target)) return kOnNetwork;
  if (target.ends_with(L":\\")) return kRootTarget;
  if (s_.files.isVisibleEntry(linkPath)) return kSameName;
  if (!s_.files.isVisibleEntry(target)) return kTargetMissing;
  // A link inside its own target is a loop that tools walking the tree follow without end.
  if (base::isInsideFolder(s_.files.resolvedPath(linkPath), s_.files.resolvedPath(target))) {
    return kLinkInsideTarget;
  }
  return {};
}

void LinkCreation::Timer1_Timer() {
  c_.timer1.setEnabled(false);
  if (started_.customMode) {
    show(kSubmitted);  // the user's own line: its outcome is theirs to judge
  } else if (const auto exitCode = started_.process->exitCode()) {
    if (!reportEnded(*exitCode)) return;
  } else if (++started_.ticks < kTicksBeforeGivingUp) {
    c_.timer1.setEnabled(true);  // still running: look again at the next tick
    return;
  } else {
    show(s_.files.isVisibleEntry(started_.linkPath) ? kLinkCreated : kUnknownFailure);
  }
  becomeIdle();
}

bool LinkCreation::reportEnded(std::uint32_t exitCode) {
  if (exitCode == 0) {
    // Another vendor's tool ends with 0 also when it made nothing.
    show(s_.files.isVisibleFolder(started_.linkPath) ? kLinkCreated : kUnknownFailure);
    return true;
  }
  if (base::isNoRightsError(exitCode) && started_.parameters) return !retryAsAdministrator();
  if (isToolsOwnCode(exitCode)) {
    show(kUnknownFailure);
  } else {
    show(std::wstring(kCreationFailed) + s_.errors.describe(exitCode));
  }
  return true;
}

bool LinkCreation::retryAsAdministrator() {
  if (!s_.messages.ask(std::wstring(kRetryAsAdministrator))) return false;
  const std::wstring tool = toolPath(s_.program.programFolder());
  platform::ElevatedStart elevated = s_.processes.startElevated(
      tool, *started_.parameters, platform::WindowShow::MinimizedNoActivate);
  if (!elevated.process) {
    if (!elevated.declined)
      show(std::wstring(kCreationFailed) + s_.errors.describe(elevated.error));
    return false;
  }
  // Followed by the same ticks; a second refusal is not offered again.
  started_.process = std::move(elevated.process);
  started_.parameters.reset();
  started_.ticks = 0;
  c_.timer1.setEnabled(true);
  return true;
}

void LinkCreation::show(std::wstring_view text) { s_.messages.show(std::wstring(text)); }

void LinkCreation::becomeIdle() {
  started_.process.reset();  // the handle is not kept past the verdict
  c_.command1.setText(std::wstring(kCreateLink));
  c_.command1.setEnabled(true);
}

}  // namespace mirafold::link

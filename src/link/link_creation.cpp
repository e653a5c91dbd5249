#include "link/link_creation.h"

#include "link/command_line.h"
#include "link/tool.h"
#include "volume/file_system_name.h"

namespace mirafold::link {

LinkCreation::LinkCreation(app::MainControls& controls, app::Services& services)
    : c_(controls), s_(services) {}

void LinkCreation::Command1_Click() {
  if (!s_.files.isPlainFile(toolPath(s_.program.programFolder()))) {
    s_.messages.show(std::wstring(kToolMissing));
    return;
  }
  const bool customMode = c_.check1.value() == 1;
  // The link the composed line creates: from Dir1's path, whatever Text1 holds unconfirmed.
  const std::wstring linkPath = linkPathOf(c_.dir1.path(), c_.dir2.path());
  if (!customMode) {
    if (const auto failure = failedCheck(linkPath); !failure.empty()) {
      s_.messages.show(std::wstring(failure));
      return;
    }
  }

  c_.command1.setText(std::wstring(kCreating));
  c_.command1.setEnabled(false);
  if (!s_.processes.start(c_.comd.text(), platform::WindowShow::MinimizedNoActivate)) {
    s_.messages.show(std::wstring(kStartFailed));
    becomeIdle();
    return;
  }
  started_ = {linkPath, customMode, 0};
  c_.timer1.setEnabled(true);
}

std::wstring_view LinkCreation::failedCheck(const std::wstring& linkPath) {
  platform::NtStatus status = 0;
  const std::wstring drive = c_.drive1.drive().substr(0, 2);
  if (volume::GetFileSystemName(s_.volume, drive, status) != L"NTFS") return kNotNtfs;
  const std::wstring target = c_.dir2.path();
  if (target.ends_with(L":\\")) return kRootTarget;
  if (s_.files.isFolderOrFile(linkPath)) return kSameName;
  if (!s_.files.isFolderOrFile(target)) return kTargetMissing;
  return {};
}

void LinkCreation::Timer1_Timer() {
  c_.timer1.setEnabled(false);
  if (started_.customMode) {
    s_.messages.show(std::wstring(kSubmitted));
  } else if (s_.files.isFolderOrFile(started_.linkPath)) {
    s_.messages.show(std::wstring(kLinkCreated));
  } else if (++started_.ticks < kTicksBeforeGivingUp) {
    c_.timer1.setEnabled(true);  // not there yet: still busy, look again at the next tick
    return;
  } else {
    s_.messages.show(std::wstring(kUnknownFailure));
  }
  becomeIdle();
}

void LinkCreation::becomeIdle() {
  c_.command1.setText(std::wstring(kCreateLink));
  c_.command1.setEnabled(true);
}

}  // namespace mirafold::link

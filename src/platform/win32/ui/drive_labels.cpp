#include "platform/win32/ui/drive_labels.h"

#include <winioctl.h>

#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <tuple>

#include "base/win32/handles.h"

namespace mirafold::win32 {
namespace {

wchar_t lowerLetter(wchar_t c) {
  return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Asks the device itself, which answers at once, rather than the file system, which may wait for
// a disk to spin up.
bool hasMedium(const std::wstring& root) {
  const std::wstring device = L"\\\\.\\" + root.substr(0, 2);
  const base::win32::UniqueFileHandle handle(::CreateFileW(
      device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!handle) return false;
  DWORD returned = 0;
  return ::DeviceIoControl(handle.get(), IOCTL_STORAGE_CHECK_VERIFY2, nullptr, 0, nullptr, 0,
                           &returned, nullptr) != 0;
}

std::wstring volumeLabel(const std::wstring& root) {
  const auto quiet = base::win32::quietErrorMode();
  const UINT type = ::GetDriveTypeW(root.c_str());
  if ((type == DRIVE_REMOVABLE || type == DRIVE_CDROM) && !hasMedium(root)) return {};
  wchar_t label[MAX_PATH + 1] = {};
  if (!::GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                               nullptr, 0)) {
    return {};
  }
  return label;
}

}  // namespace

struct DriveLabels::State {
  struct Watcher {
    HWND parent;
    HWND control;
    WORD notification;
    bool operator<(const Watcher& other) const {
      return std::tie(parent, control, notification) <
             std::tie(other.parent, other.control, other.notification);
    }
  };
  mutable std::mutex lock;
  std::map<wchar_t, std::wstring> labels;
  std::set<wchar_t> reading;
  std::set<Watcher> watchers;
};

DriveLabels::DriveLabels(Reader reader)
    : state_(std::make_shared<State>()), reader_(std::move(reader)) {}

void DriveLabels::read(const std::vector<std::wstring>& roots, HWND parent, HWND control,
                       WORD notification) {
  const std::lock_guard hold(state_->lock);
  state_->watchers.insert({parent, control, notification});
  for (const std::wstring& root : roots) {
    if (root.empty()) continue;
    const wchar_t letter = lowerLetter(root[0]);
    if (!state_->reading.insert(letter).second) continue;
    // The thread keeps the state and the reader alive: it may end long after the lists.
    std::thread([state = state_, reader = reader_, root, letter] {
      std::wstring label;
      try {
        label = reader(root);
      } catch (...) {
        // No label then; nothing may end the program from here.
      }
      const std::lock_guard done(state->lock);
      state->labels[letter] = label;
      state->reading.erase(letter);
      for (const State::Watcher& w : state->watchers) {
        ::PostMessageW(w.parent, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(w.control), w.notification),
                       reinterpret_cast<LPARAM>(w.control));
      }
    }).detach();
  }
}

void DriveLabels::forget(HWND control) {
  const std::lock_guard hold(state_->lock);
  std::erase_if(state_->watchers,
                [control](const State::Watcher& w) { return w.control == control; });
}

std::wstring DriveLabels::labelOf(wchar_t letter) const {
  const std::lock_guard hold(state_->lock);
  const auto found = state_->labels.find(lowerLetter(letter));
  return found == state_->labels.end() ? std::wstring{} : found->second;
}

DriveLabels& DriveLabels::system() {
  static DriveLabels labels(volumeLabel);
  return labels;
}

}  // namespace mirafold::win32

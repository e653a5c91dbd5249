#pragma once
// Drive labels read off the window's thread. Asking a volume for its label can wait for a disk to
// spin up, or for ever on a network drive whose server has gone: the window never waits with it.
// Each drive is read by a thread of its own, and the windows that asked are told as each label
// comes; a drive that does not answer keeps the label it had, and is not asked again meanwhile.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mirafold::win32 {

class DriveLabels {
 public:
  // One root's label ("c:\"): may take any time, or never return.
  using Reader = std::function<std::wstring(const std::wstring& root)>;
  explicit DriveLabels(Reader reader);

  // Starts reading each root's label, except where a reading is still under way. Each reading
  // that ends posts WM_COMMAND with `notification` and `control` (as a control's own notification
  // to its parent) to `parent`, and to every other window that asked before it ended.
  void read(const std::vector<std::wstring>& roots, HWND parent, HWND control, WORD notification);
  // Told no more, e.g. when the control goes.
  void forget(HWND control);
  // The label last read for the drive of that lower-case letter; empty when none yet.
  std::wstring labelOf(wchar_t letter) const;

  // The process's own, reading the system's volumes.
  static DriveLabels& system();

 private:
  struct State;
  std::shared_ptr<State> state_;
  Reader reader_;
};

}  // namespace mirafold::win32

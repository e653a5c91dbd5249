#pragma once
// The progress window on Win32: an owned window with a bar, three lines and a cancel button. The
// owner is disabled while it shows, as a modal dialog's is, and keeps painting; the work runs on
// a std::thread and posts what it reports.

#include <windows.h>

#include <string>

#include "platform/progress_window.h"

namespace mirafold::win32 {

// The controls of the window, by ID: the bar, the current file, the counts and the rate lines.
inline constexpr int kProgressBarId = 100, kProgressFileId = 101, kProgressCountsId = 102,
                     kProgressRateId = 103;

struct ProgressDialogTexts {
  std::wstring title;
  std::wstring cancel;
};

class Win32ProgressDialog final : public platform::ProgressWindow {
 public:
  Win32ProgressDialog(HWND owner, ProgressDialogTexts texts);

  // Rethrows what the work threw, once the work has ended and the window is gone.
  void run(const std::function<void(const platform::ProgressReport&)>& work,
           const std::function<void()>& cancel) override;

 private:
  HWND owner_;
  ProgressDialogTexts texts_;
};

}  // namespace mirafold::win32

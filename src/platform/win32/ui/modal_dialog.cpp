#include "platform/win32/ui/modal_dialog.h"

#include "platform/win32/ui/message_loop.h"

namespace mirafold::win32 {

ModalDialog::ModalDialog(const platform::WindowLayout& form, HINSTANCE instance, int icon,
                         HWND owner)
    : owner_(owner),
      window_(
          form, instance, icon, [this] { close(); }, owner) {}

void ModalDialog::showModal() {
  if (open_) return;
  open_ = true;
  ::EnableWindow(owner_, FALSE);
  window_.show();
  MSG msg{};
  while (open_) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The program is ending: the outer loop must see the quit too.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    dispatchMessage(msg);
  }
  close();
}

void ModalDialog::close() {
  if (!open_) return;
  open_ = false;
  // The owner first, so that it takes the activation back as this window goes.
  ::EnableWindow(owner_, TRUE);
  ::ShowWindow(hwnd(), SW_HIDE);
}

}  // namespace mirafold::win32

#include "platform/win32/modal_form.h"

#include "platform/win32/message_loop.h"

namespace mirafold::win32 {

ModalForm::ModalForm(const platform::Form& form, HINSTANCE instance, int icon, HWND owner)
    : owner_(owner),
      window_(
          form, instance, icon, [this] { close(); }, owner) {}

void ModalForm::showModal() {
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

void ModalForm::close() {
  if (!open_) return;
  open_ = false;
  // The owner first, so that it takes the activation back as this window goes.
  ::EnableWindow(owner_, TRUE);
  ::ShowWindow(hwnd(), SW_HIDE);
}

}  // namespace mirafold::win32

#include "platform/win32/ui/picture.h"

#include <stdexcept>

#include "platform/win32/ui/jpeg_picture.h"

namespace mirafold::win32 {

std::unique_ptr<Win32Picture> Win32Picture::create(HWND parent, int id, const RECT& bounds,
                                                   HINSTANCE instance, int resource) {
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  HWND picture = ::CreateWindowExW(
      0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_BITMAP, bounds.left, bounds.top, width, height,
      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (!picture) throw std::runtime_error("CreateWindowExW failed for a picture");
  std::unique_ptr<Win32Picture> created(new Win32Picture(picture, instance, resource));
  created->load(width, height);
  return created;
}

void Win32Picture::rescale(const RECT& pixels, int, HFONT) {
  const int width = pixels.right - pixels.left;
  const int height = pixels.bottom - pixels.top;
  load(width, height);
  // SS_BITMAP sizes the control to its bitmap; the table's size is put back after.
  ::SetWindowPos(picture_, nullptr, pixels.left, pixels.top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Picture::load(int width, int height) {
  base::win32::UniqueBitmap bitmap = loadJpegResource(instance_, resource_, width, height);
  ::SendMessageW(picture_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.get()));
  bitmap_ = std::move(bitmap);  // the old one goes only once the control no longer shows it
}

}  // namespace mirafold::win32

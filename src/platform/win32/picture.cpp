#include "platform/win32/picture.h"

#include <stdexcept>

#include "platform/win32/jpeg_picture.h"

namespace mirafold::win32 {

std::unique_ptr<Win32Picture> Win32Picture::create(HWND parent, int id, const RECT& bounds,
                                                   HINSTANCE instance, int resource) {
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  HWND picture = ::CreateWindowExW(
      0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_BITMAP, bounds.left, bounds.top, width, height,
      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (!picture) throw std::runtime_error("CreateWindowExW failed for a picture");
  UniqueBitmap bitmap = loadJpegResource(instance, resource, width, height);
  if (bitmap) {
    ::SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.get()));
  }
  return std::unique_ptr<Win32Picture>(new Win32Picture(picture, std::move(bitmap)));
}

}  // namespace mirafold::win32

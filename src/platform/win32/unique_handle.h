#pragma once
// One owner type for every kind of Win32 handle: move-only, released on every path.

#include <windows.h>
#include <shlobj.h>

#include <utility>

namespace mirafold::win32 {

// Traits: `type`, `invalid()` and `close(type)`.
template <typename Traits>
class UniqueHandle {
 public:
  using T = typename Traits::type;

  UniqueHandle() = default;
  explicit UniqueHandle(T value) : value_(value) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::invalid(); }
  T release() { return std::exchange(value_, Traits::invalid()); }
  void reset(T value = Traits::invalid()) {
    if (value_ != Traits::invalid()) Traits::close(value_);
    value_ = value;
  }
  // For out-parameters: releases what is held and hands out the slot.
  T* put() {
    reset();
    return &value_;
  }

 private:
  T value_ = Traits::invalid();
};

template <typename H, auto Close>
struct NullIsInvalid {
  using type = H;
  static type invalid() { return nullptr; }
  static void close(type h) { Close(h); }
};

struct FileTraits {
  using type = HANDLE;
  static type invalid() { return INVALID_HANDLE_VALUE; }
  static void close(type h) { ::CloseHandle(h); }
};

struct FindTraits {
  using type = HANDLE;
  static type invalid() { return INVALID_HANDLE_VALUE; }
  static void close(type h) { ::FindClose(h); }
};

inline void closeHandle(HANDLE h) { ::CloseHandle(h); }
inline void deleteGdiObject(HGDIOBJ o) { ::DeleteObject(o); }
inline void destroyIcon(HICON i) { ::DestroyIcon(i); }
inline void destroyWindow(HWND w) { ::DestroyWindow(w); }
inline void freeCoTaskMem(void* p) { ::CoTaskMemFree(p); }

using UniqueKernelHandle = UniqueHandle<NullIsInvalid<HANDLE, closeHandle>>;  // process, thread
using UniqueFileHandle = UniqueHandle<FileTraits>;
using UniqueFindHandle = UniqueHandle<FindTraits>;
using UniqueFont = UniqueHandle<NullIsInvalid<HFONT, deleteGdiObject>>;
using UniqueBrush = UniqueHandle<NullIsInvalid<HBRUSH, deleteGdiObject>>;
using UniqueBitmap = UniqueHandle<NullIsInvalid<HBITMAP, deleteGdiObject>>;
using UniqueIcon = UniqueHandle<NullIsInvalid<HICON, destroyIcon>>;
using UniqueWindow = UniqueHandle<NullIsInvalid<HWND, destroyWindow>>;
using UniqueIdList = UniqueHandle<NullIsInvalid<PIDLIST_ABSOLUTE, freeCoTaskMem>>;

}  // namespace mirafold::win32

#pragma once
// Owns a kernel handle: move-only, closed on every path.

#include <windows.h>

#include <utility>

namespace junction::win32 {

template <HANDLE (*Invalid)(), void (*Close)(HANDLE)>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE value) : value_(value) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  HANDLE get() const { return value_; }
  explicit operator bool() const { return value_ != Invalid(); }
  HANDLE release() { return std::exchange(value_, Invalid()); }
  void reset(HANDLE value = Invalid()) {
    if (value_ != Invalid()) Close(value_);
    value_ = value;
  }
  HANDLE* put() {
    reset();
    return &value_;
  }

 private:
  HANDLE value_ = Invalid();
};

inline HANDLE nullHandle() { return nullptr; }
inline HANDLE invalidHandle() { return INVALID_HANDLE_VALUE; }
inline void closeHandle(HANDLE h) { ::CloseHandle(h); }
inline void closeFind(HANDLE h) { ::FindClose(h); }

using UniqueKernelHandle = UniqueHandle<nullHandle, closeHandle>;  // processes, pipes
using UniqueFile = UniqueHandle<invalidHandle, closeHandle>;       // CreateFileW
using UniqueFind = UniqueHandle<invalidHandle, closeFind>;         // FindFirstFileExW

}  // namespace junction::win32

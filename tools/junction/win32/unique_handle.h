#pragma once
// Owners of the tool's Win32 handles: move-only, closed on every path.

#include <windows.h>

#include <utility>

namespace junction::win32 {

// Every handle is closed unless null or INVALID_HANDLE_VALUE: kernel calls give the one, file
// calls the other for "none".
template <auto Close>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE value) : value_(value) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(std::exchange(other.value_, nullptr));
    return *this;
  }
  ~UniqueHandle() { reset(); }

  HANDLE get() const { return value_; }
  explicit operator bool() const { return value_ != INVALID_HANDLE_VALUE && value_ != nullptr; }
  void reset(HANDLE value = nullptr) {
    if (*this) Close(value_);
    value_ = value;
  }

 private:
  HANDLE value_ = nullptr;
};

inline void closeHandle(HANDLE h) { ::CloseHandle(h); }
inline void closeFind(HANDLE h) { ::FindClose(h); }

using UniqueKernelHandle = UniqueHandle<closeHandle>;  // processes, pipes
using UniqueFile = UniqueHandle<closeHandle>;          // CreateFileW, NtCreateFile
using UniqueFind = UniqueHandle<closeFind>;            // FindFirstFileExW

}  // namespace junction::win32

#include "platform/win32/system/flush_pool.h"

#include <winioctl.h>

#include <utility>

#include "base/win32/final_path.h"
#include "platform/win32/system/durable_file.h"

namespace mirafold::win32 {

FlushPool::FlushPool(unsigned workers) {
  for (unsigned i = 0; i < workers; ++i) {
    base::win32::UniqueKernelHandle thread(::CreateThread(nullptr, 0, work, this, 0, nullptr));
    if (thread) threads_.push_back(std::move(thread));
  }
}

FlushPool::~FlushPool() {
  settle();
  ::AcquireSRWLockExclusive(&lock_);
  stopping_ = true;
  ::ReleaseSRWLockExclusive(&lock_);
  ::WakeAllConditionVariable(&changed_);
  for (const auto& thread : threads_) ::WaitForSingleObject(thread.get(), INFINITE);
}

platform::MoveStatus FlushPool::hand(Finishing finishing) {
  if (threads_.empty()) {
    // No worker could be started: finished here, as a serial copy would.
    return finishing();
  }
  ::AcquireSRWLockExclusive(&lock_);
  while (outstanding_ >= threads_.size() && firstFailure_.ok()) {
    ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
  }
  platform::MoveStatus failed = firstFailure_;
  if (failed.ok()) {
    ++outstanding_;
    waiting_.push_back(std::move(finishing));
  }
  ::ReleaseSRWLockExclusive(&lock_);
  ::WakeAllConditionVariable(&changed_);
  return failed;
}

platform::MoveStatus FlushPool::settle() {
  ::AcquireSRWLockExclusive(&lock_);
  while (outstanding_ > 0) ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
  const platform::MoveStatus failed = std::exchange(firstFailure_, platform::MoveStatus::success());
  ::ReleaseSRWLockExclusive(&lock_);
  return failed;
}

DWORD WINAPI FlushPool::work(void* pool) {
  static_cast<FlushPool*>(pool)->run();
  return 0;
}

void FlushPool::run() {
  ::AcquireSRWLockExclusive(&lock_);
  for (;;) {
    while (waiting_.empty() && !stopping_) {
      ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
    }
    if (waiting_.empty()) break;
    Finishing finishing = std::move(waiting_.front());
    waiting_.pop_front();
    ::ReleaseSRWLockExclusive(&lock_);
    platform::MoveStatus done = finishing();
    finishing = nullptr;  // its handles closed before the copy counts as done
    ::AcquireSRWLockExclusive(&lock_);
    if (!done.ok() && firstFailure_.ok()) firstFailure_ = std::move(done);
    --outstanding_;
    ::WakeAllConditionVariable(&changed_);
  }
  ::ReleaseSRWLockExclusive(&lock_);
}

unsigned flushWorkersFor(HANDLE file) {
  // A disk that does not say (a virtual one, Wine's) is taken for a solid-state one, as most are.
  constexpr unsigned kSolidState = 8, kSpinning = 2, kUnknown = kSolidState;
  const auto final = base::win32::finalPathOf(file);
  wchar_t root[MAX_PATH + 1] = {}, volume[64] = {};
  if (!final || !::GetVolumePathNameW(final->c_str(), root, MAX_PATH + 1) ||
      !::GetVolumeNameForVolumeMountPointW(root, volume, 64)) {
    return kUnknown;
  }
  // "\\?\Volume{...}" without its backslash is the volume itself, which anyone may ask about.
  std::wstring device = volume;
  if (device.ends_with(L'\\')) device.pop_back();
  const base::win32::UniqueFileHandle disk(::CreateFileW(
      device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = StorageDeviceSeekPenaltyProperty;
  query.QueryType = PropertyStandardQuery;
  DEVICE_SEEK_PENALTY_DESCRIPTOR answer{};
  DWORD bytes = 0;
  if (!disk ||
      !::DeviceIoControl(disk.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &answer,
                         sizeof answer, &bytes, nullptr) ||
      bytes < sizeof answer) {
    return kUnknown;
  }
  return answer.IncursSeekPenalty ? kSpinning : kSolidState;
}

}  // namespace mirafold::win32

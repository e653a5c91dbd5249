#include "platform/win32/system/flush_pool.h"

#include <winioctl.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "base/win32/final_path.h"
#include "platform/win32/system/durable_file.h"

namespace mirafold::win32 {

namespace {

using platform::MoveStatus;

// How long a wait goes before the mover is asked again: progress every tenth of a second at least.
constexpr auto kSlice = std::chrono::milliseconds(50);

}  // namespace

FlushPool::FlushPool(unsigned workers) {
  threads_.reserve(workers);  // a started worker is always kept, to be joined
  for (unsigned i = 0; i < workers; ++i) {
    base::win32::UniqueKernelHandle thread(::CreateThread(nullptr, 0, work, this, 0, nullptr));
    if (thread) threads_.push_back(std::move(thread));
  }
}

FlushPool::~FlushPool() {
  settle([] { return false; });
  {
    const std::lock_guard held(lock_);
    stopping_ = true;
  }
  changed_.notifyAll();
  for (const auto& thread : threads_) ::WaitForSingleObject(thread.get(), INFINITE);
}

bool FlushPool::waitUntil(std::unique_lock<SrwLock>& held, const std::function<bool()>& done,
                          const platform::StillWaiting& waiting) {
  // A wake before the slice is up (another job done, or none at all) does not start it again.
  auto ask = std::chrono::steady_clock::now() + kSlice;
  while (!done()) {
    if (abandoned_) return false;
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(ask - std::chrono::steady_clock::now());
    if (left.count() > 0) {
      changed_.waitFor(held, static_cast<DWORD>(left.count()));
      continue;
    }
    ask = std::chrono::steady_clock::now() + kSlice;
    held.unlock();
    const bool goOn = waiting();
    held.lock();
    if (!goOn) {
      abandoned_ = true;
      if (firstFailure_.ok()) firstFailure_ = MoveStatus::cancelled();
    }
  }
  return true;
}

MoveStatus FlushPool::hand(Finishing finishing, const platform::StillWaiting& waiting) {
  if (threads_.empty()) {
    // No worker could be started: finished here, as a serial copy would.
    return finishing(abandoned_);
  }
  MoveStatus failed;
  {
    std::unique_lock held(lock_);
    waitUntil(
        held, [this] { return outstanding_ < threads_.size() || !firstFailure_.ok(); }, waiting);
    failed = firstFailure_;
    if (failed.ok()) {
      // Counted once it is there: a failed push leaves nothing for a settle to wait for.
      waiting_.push_back(std::move(finishing));
      ++outstanding_;
    }
  }
  changed_.notifyAll();
  return failed;
}

MoveStatus FlushPool::settle(const platform::StillWaiting& waiting) {
  std::unique_lock held(lock_);
  const auto nothingOutstanding = [this] { return outstanding_ == 0; };
  if (!waitUntil(held, nothingOutstanding, waiting)) {
    // Abandoned: only the flushes under way are waited for, which no one can cut short.
    changed_.wait(held, nothingOutstanding);
  }
  abandoned_ = false;
  return std::exchange(firstFailure_, MoveStatus::success());
}

DWORD WINAPI FlushPool::work(void* pool) {
  static_cast<FlushPool*>(pool)->run();
  return 0;
}

void FlushPool::run() {
  std::unique_lock held(lock_);
  for (;;) {
    changed_.wait(held, [this] { return !waiting_.empty() || stopping_; });
    if (waiting_.empty()) break;
    Finishing finishing = std::move(waiting_.front());
    waiting_.pop_front();
    held.unlock();
    MoveStatus done;
    try {
      done = finishing(abandoned_);
    } catch (...) {
      // Out of memory: told as a failure, so that every wait still ends.
      done = statusOf(ERROR_NOT_ENOUGH_MEMORY, {});
    }
    finishing = nullptr;  // its handles closed before the copy counts as done
    held.lock();
    if (!done.ok() && firstFailure_.ok()) firstFailure_ = std::move(done);
    --outstanding_;
    changed_.notifyAll();
  }
}

namespace {

// What the storage stack says of the device holding the volume `disk`; false where it says nothing.
bool ask(HANDLE disk, STORAGE_PROPERTY_ID property, void* answer, DWORD size, DWORD needed) {
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = property;
  query.QueryType = PropertyStandardQuery;
  DWORD bytes = 0;
  return ::DeviceIoControl(disk, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, answer, size,
                           &bytes, nullptr) &&
         bytes >= needed;
}

}  // namespace

unsigned flushWorkersFor(HANDLE file) {
  // A disk that does not say (a virtual one, Wine's) is taken for a solid-state one, as most are.
  constexpr unsigned kSolidState = 8, kSlow = 2, kUnknown = kSolidState;
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
  if (!disk) return kUnknown;
  // A stick or a card flushes slowly whatever it says of seeking (most say none).
  alignas(STORAGE_DEVICE_DESCRIPTOR) std::uint8_t described[512] = {};
  const auto* said = reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(described);
  if (ask(disk.get(), StorageDeviceProperty, described, sizeof described,
          offsetof(STORAGE_DEVICE_DESCRIPTOR, RawPropertiesLength)) &&
      (said->BusType == BusTypeUsb || said->RemovableMedia)) {
    return kSlow;
  }
  DEVICE_SEEK_PENALTY_DESCRIPTOR seeking{};
  if (!ask(disk.get(), StorageDeviceSeekPenaltyProperty, &seeking, sizeof seeking,
           sizeof seeking)) {
    return kUnknown;
  }
  return seeking.IncursSeekPenalty ? kSlow : kSolidState;
}

}  // namespace mirafold::win32

#pragma once
// Copies finished and flushed in flight together: a file system's log commits what is waiting in
// one write, so a few flushes at once cost little more than one, and a copy's times and
// permissions, given through its own handle, wait for nobody. A few workers, each running the
// finishing handed to it; the hand-over waits while every worker is busy, so that no more than a
// few copies stay open. Every wait asks the mover, in short slices, whether to go on: a cancel
// abandons the flushes not yet begun, so that it waits only for those under way.

#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <vector>

#include "base/win32/handles.h"
#include "platform/move_file_system.h"
#include "platform/win32/system/srw_lock.h"

namespace mirafold::win32 {

class FlushPool {
 public:
  // A copy's finishing, run by a worker: it owns the copy's handles, flushes and closes them,
  // and skips the flush once `abandoned` (the copy is about to be deleted, never called done).
  using Finishing = std::function<platform::MoveStatus(const std::atomic_bool& abandoned)>;

  explicit FlushPool(unsigned workers);
  FlushPool(const FlushPool&) = delete;
  FlushPool& operator=(const FlushPool&) = delete;
  ~FlushPool();  // every finishing handed over done first (abandoned)

  // `finishing` handed to a worker; the first failure of those handed over before, if one failed
  // since the last settle, or Cancelled once `waiting` said so (then `finishing` is dropped, its
  // handles closed: the copy is abandoned).
  platform::MoveStatus hand(Finishing finishing, const platform::StillWaiting& waiting);
  // Every finishing handed over so far done; the first that failed since the last settle, or
  // Cancelled where `waiting` said so (the rest abandoned).
  platform::MoveStatus settle(const platform::StillWaiting& waiting);
  unsigned workers() const { return static_cast<unsigned>(threads_.size()); }

 private:
  static DWORD WINAPI work(void* pool);
  void run();
  // With the lock held: until `done` or abandoned, asking `waiting` (the lock released) each slice.
  bool waitUntil(std::unique_lock<SrwLock>& held, const std::function<bool()>& done,
                 const platform::StillWaiting& waiting);

  // Taken a few times a file by every worker: the system's own.
  SrwLock lock_;
  ConditionVariable changed_;
  std::deque<Finishing> waiting_;
  std::size_t outstanding_ = 0;  // waiting or being run
  bool stopping_ = false;
  std::atomic_bool abandoned_ = false;  // until the next settle
  platform::MoveStatus firstFailure_ = platform::MoveStatus::success();
  std::vector<base::win32::UniqueKernelHandle> threads_;
};

// How many flushes to keep in flight on the volume of `file`: fewer on a disk that seeks (one
// head moving between files is slower, not faster) or on a removable one (slow, and a cancel
// waits for the flushes under way), more on one that does not.
unsigned flushWorkersFor(HANDLE file);

}  // namespace mirafold::win32

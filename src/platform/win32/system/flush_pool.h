#pragma once
// Copies finished and flushed in flight together: a file system's log commits what is waiting in
// one write, so a few flushes at once cost little more than one, and a copy's times and
// permissions, given through its own handle, wait for nobody. A few workers, each running the
// finishing handed to it; the hand-over waits while every worker is busy, so that no more than a
// few copies stay open and a cancelled move waits for a few of them at most.

#include <windows.h>

#include <deque>
#include <functional>
#include <vector>

#include "base/win32/handles.h"
#include "platform/move_file_system.h"

namespace mirafold::win32 {

class FlushPool {
 public:
  // A copy's finishing, run by a worker: it owns the copy's handles, flushes and closes them.
  using Finishing = std::function<platform::MoveStatus()>;

  explicit FlushPool(unsigned workers);
  FlushPool(const FlushPool&) = delete;
  FlushPool& operator=(const FlushPool&) = delete;
  ~FlushPool();  // every finishing handed over done first

  // `finishing` handed to a worker; the first failure of those handed over before, if one failed
  // since the last settle (then `finishing` is dropped, its handles closed: the copy is abandoned).
  platform::MoveStatus hand(Finishing finishing);
  // Every finishing handed over so far done; the first that failed since the last settle.
  platform::MoveStatus settle();
  unsigned workers() const { return static_cast<unsigned>(threads_.size()); }

 private:
  static DWORD WINAPI work(void* pool);
  void run();

  SRWLOCK lock_ = SRWLOCK_INIT;
  CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
  std::deque<Finishing> waiting_;
  std::size_t outstanding_ = 0;  // waiting or being run
  bool stopping_ = false;
  platform::MoveStatus firstFailure_ = platform::MoveStatus::success();
  std::vector<base::win32::UniqueKernelHandle> threads_;
};

// How many flushes to keep in flight on the volume of `file`: fewer on a disk that seeks (one
// head moving between files is slower, not faster), more on one that does not.
unsigned flushWorkersFor(HANDLE file);

}  // namespace mirafold::win32

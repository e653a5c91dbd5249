#pragma once
// Copies' flushes in flight together: a file system's log commits what is waiting in one write,
// so a few flushes at once cost little more than one. A few workers, each flushing and closing
// the copies handed to it; the hand-over waits while every worker is busy, so that no more than a
// few copies stay open and a cancelled move waits for a few flushes at most.

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "base/win32/handles.h"
#include "platform/move_file_system.h"

namespace mirafold::win32 {

class FlushPool {
 public:
  explicit FlushPool(unsigned workers);
  FlushPool(const FlushPool&) = delete;
  FlushPool& operator=(const FlushPool&) = delete;
  ~FlushPool();  // every flush handed over done first

  // `file`, the copy at `path`, flushed and closed by a worker.
  void flush(base::win32::UniqueFileHandle file, std::wstring path);
  // Every flush handed over so far done; the first that failed since the last settle, with its
  // file.
  platform::MoveStatus settle();
  unsigned workers() const { return static_cast<unsigned>(threads_.size()); }

 private:
  struct Job {
    base::win32::UniqueFileHandle file;
    std::wstring path;
  };
  static DWORD WINAPI work(void* pool);
  void run();

  SRWLOCK lock_ = SRWLOCK_INIT;
  CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
  std::deque<Job> waiting_;
  std::size_t outstanding_ = 0;  // waiting or being flushed
  bool stopping_ = false;
  DWORD firstError_ = 0;
  std::wstring firstPath_;
  std::vector<base::win32::UniqueKernelHandle> threads_;
};

// How many flushes to keep in flight on the volume of `file`: fewer on a disk that seeks (one
// head moving between files is slower, not faster), more on one that does not.
unsigned flushWorkersFor(HANDLE file);

}  // namespace mirafold::win32

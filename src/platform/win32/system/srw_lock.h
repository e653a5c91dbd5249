#pragma once
// The system's own lock and condition variable, for state that several threads take many times
// a second: a slim reader/writer lock taken exclusively (usable with std::unique_lock) and a
// condition variable that waits on it. Unlike the thread library's, which make kernel objects,
// these wait inside the process: under Wine no round trip to the server, on Windows the lightest
// there are.

#include <windows.h>

#include <mutex>

namespace mirafold::win32 {

class SrwLock {
 public:
  SrwLock() = default;
  SrwLock(const SrwLock&) = delete;
  SrwLock& operator=(const SrwLock&) = delete;

  void lock() { ::AcquireSRWLockExclusive(&lock_); }
  void unlock() { ::ReleaseSRWLockExclusive(&lock_); }
  SRWLOCK* native() { return &lock_; }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
};

class ConditionVariable {
 public:
  ConditionVariable() = default;
  ConditionVariable(const ConditionVariable&) = delete;
  ConditionVariable& operator=(const ConditionVariable&) = delete;

  // Until woken or `milliseconds` have passed, the lock let go meanwhile; may wake early.
  void waitFor(std::unique_lock<SrwLock>& held, DWORD milliseconds) {
    ::SleepConditionVariableSRW(&changed_, held.mutex()->native(), milliseconds, 0);
  }
  template <typename Done>
  void wait(std::unique_lock<SrwLock>& held, Done done) {
    while (!done()) waitFor(held, INFINITE);
  }
  void notifyAll() { ::WakeAllConditionVariable(&changed_); }

 private:
  CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
};

}  // namespace mirafold::win32

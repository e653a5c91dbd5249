#pragma once
// Under Wine only: host paths of Windows paths, and short commands run by the host's /bin/sh.
// Wine's file system has no reparse points, so a host symbolic link stands in for a junction.

#include <cstdint>
#include <string>
#include <vector>

#include "junction/system.h"

namespace junction::win32 {

class HostShell {
 public:
  HostShell();

  // True under Wine, which exports these calls; Windows does not.
  bool available() const { return unixFileName_ && dosFileName_ && wineVersion_; }

  Status unixPath(const std::wstring& windowsPath, std::wstring& hostPath) const;

  // Runs the shell command `command` with `arguments` as $1, $2, ... and waits up to `timeoutMs`
  // for it to end. Fails with `failureCode` and what the command printed as the reason when its
  // exit status is not 0, and with ERROR_TIMEOUT when it has not answered in time (it may still
  // run). The command must not call `exit`: its status is read after it.
  Status run(const std::wstring& command, const std::vector<std::wstring>& arguments,
             std::uint32_t failureCode, unsigned long timeoutMs) const;

  unsigned long answerTimeoutMs() const { return 10000; }
  // The wait for the command that makes a link; JUNCTION_HOST_ANSWER_MS shortens it, so that
  // tests can check that a link made too late is taken back.
  unsigned long makeTimeoutMs() const;

 private:
  using UnixFileName = char*(__cdecl*)(const wchar_t*);
  using DosFileName = wchar_t*(__cdecl*)(const char*);
  UnixFileName unixFileName_ = nullptr;
  DosFileName dosFileName_ = nullptr;
  void* wineVersion_ = nullptr;
};

}  // namespace junction::win32

#include "host_shell.h"

#include <windows.h>

#include <cwchar>
#include <string_view>

#include "base/command_line.h"
#include "base/text.h"
#include "base/win32/exported.h"
#include "base/win32/handles.h"
#include "error_text.h"
#include "junction/exit_codes.h"
#include "junction/text.h"

namespace junction::win32 {
namespace {

constexpr std::wstring_view kStatusMark = L"\nexit ";

// Wine hands out its strings from the process heap.
struct HeapText {
  void* p;
  ~HeapText() {
    if (p) ::HeapFree(::GetProcessHeap(), 0, p);
  }
};

// A temporary file for the command's answer, deleted with its last handle.
class AnswerFile {
 public:
  AnswerFile() {
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    if (!::GetTempPathW(MAX_PATH + 1, folder) || !::GetTempFileNameW(folder, L"jct", 0, name)) {
      return;
    }
    path_ = name;
    file_.reset(::CreateFileW(name, GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  }

  bool ready() const { return static_cast<bool>(file_); }
  const std::wstring& path() const { return path_; }

  std::string contents() const {
    std::string bytes;
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN)) return bytes;
    char buffer[1024];
    DWORD got = 0;
    while (::ReadFile(file_.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
      bytes.append(buffer, got);
    }
    return bytes;
  }

 private:
  std::wstring path_;
  mirafold::base::win32::UniqueFileHandle file_;
};

}  // namespace

HostShell::HostShell()
    : unixFileName_(mirafold::base::win32::exportedFunction<UnixFileName>(
          L"kernel32.dll", "wine_get_unix_file_name")),
      dosFileName_(mirafold::base::win32::exportedFunction<DosFileName>(L"kernel32.dll",
                                                                        "wine_get_dos_file_name")),
      wineVersion_(
          mirafold::base::win32::exportedFunction<void*>(L"ntdll.dll", "wine_get_version")) {}

Status HostShell::unixPath(const std::wstring& windowsPath, std::wstring& hostPath) const {
  char* name = unixFileName_(windowsPath.c_str());
  HeapText owner{name};
  if (!name) {
    const DWORD error = ::GetLastError();
    return Status::failure(error, L"Wine gives no host path for it: " + systemMessage(error));
  }
  hostPath = mirafold::base::fromUtf8(name);
  return Status::success();
}

unsigned long HostShell::makeTimeoutMs() const {
  wchar_t value[16];
  const DWORD length = ::GetEnvironmentVariableW(L"JUNCTION_HOST_ANSWER_MS", value, 16);
  if (length == 0 || length >= 16) return answerTimeoutMs();
  return std::wcstoul(value, nullptr, 10);
}

Status HostShell::run(const std::wstring& command, const std::vector<std::wstring>& arguments,
                      std::uint32_t failureCode, unsigned long timeoutMs) const {
  wchar_t* shellName = dosFileName_("/bin/sh");
  HeapText owner{shellName};
  if (!shellName) {
    return Status::failure(ERROR_FILE_NOT_FOUND,
                           L"The host shell /bin/sh is not reachable from Wine.");
  }

  // Wine's pipes have no host side, so the answer comes through a file; the status line written
  // last says the command has ended.
  const AnswerFile answer;
  if (!answer.ready()) {
    const DWORD error = ::GetLastError();
    return Status::failure(error, L"No temporary file for the host shell: " + systemMessage(error));
  }
  std::wstring answerPath;
  if (Status s = unixPath(answer.path(), answerPath); !s.ok) return s;

  std::vector<std::wstring> argv{
      L"sh", L"-c", L"exec >\"$1\" 2>&1; shift; " + command + L"\nprintf '\\nexit %d\\n' $?", L"sh",
      answerPath};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::wstring commandLine = mirafold::base::joinArguments(argv);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(shellName, commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                        nullptr, nullptr, &startup, &process)) {
    const DWORD error = ::GetLastError();
    return Status::failure(error, L"The host shell could not be started: " + systemMessage(error));
  }
  // Wine gives no process handle for a host program, and no usable thread handle either.
  if (process.hProcess) {
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
  }

  const ULONGLONG started = ::GetTickCount64();
  for (;;) {
    const std::wstring text = mirafold::base::fromUtf8(answer.contents());
    const std::size_t mark = text.rfind(kStatusMark);
    if (mark != std::wstring::npos && text.back() == L'\n') {
      const std::wstring status = text.substr(mark + kStatusMark.size());
      if (oneLine(status) == L"0") return Status::success();
      const std::wstring said = oneLine(text.substr(0, mark));
      return Status::failure(failureCode, said.empty() ? L"The host command failed." : said);
    }
    if (::GetTickCount64() - started >= timeoutMs) {
      return Status::failure(exit_code::kTimeout, L"The host shell did not answer in time.");
    }
    ::Sleep(1);
  }
}

}  // namespace junction::win32

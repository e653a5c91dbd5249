#pragma once
// Links for the move tests, made and removed by junction.exe beside the test program: the
// program's own commands, and a plain run of the tool for setting up and clearing away.

#include <windows.h>

#include <string>
#include <vector>

#include "base/command_line.h"
#include "base/path_rules.h"
#include "move/messages.h"
#include "move/move_journal.h"
#include "platform/win32/system/junction_tool_links.h"
#include "platform/win32/system/win32_move_file_system.h"

namespace mirafold::testing {

inline std::wstring besideThisProgram(const std::wstring& name) {
  std::wstring self(32768, L'\0');
  self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
  return self.substr(0, self.find_last_of(L'\\') + 1) + name;
}

inline platform::MoveStatus runJunctionTool(const std::vector<std::wstring>& args) {
  std::wstring commandLine = mirafold::base::quoteArgument(besideThisProgram(L"junction.exe")) +
                             L" " + mirafold::base::joinArguments(args);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process)) {
    return platform::MoveStatus::failure(L"junction.exe did not start");
  }
  ::WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 1;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);
  return code == 0 ? platform::MoveStatus::success()
                   : platform::MoveStatus::failure(L"junction.exe failed");
}

// The program's own link commands, with the junction.exe beside the test program.
inline win32::LinkCommands junctionToolLinks() {
  return win32::junctionToolLinks(besideThisProgram(L"junction.exe"));
}

// The seam's refusals in the words the program gives it.
inline win32::MoveFileSystemTexts moveTexts() {
  return {std::wstring(move::kNoJunctionTool), std::wstring(move::kNotALink),
          std::wstring(move::kVolumeMountPoint)};
}

// The folders holding both places of a move held, as the engine holds them before its first step:
// every step below them then goes through handles.
inline bool holdPlaces(platform::MoveFileSystem& files, const move::MovePlan& plan) {
  std::wstring final;
  return files.hold(std::wstring(base::parentOf(plan.origin)), final).ok() &&
         files.hold(std::wstring(base::parentOf(plan.final)), final).ok();
}

}  // namespace mirafold::testing

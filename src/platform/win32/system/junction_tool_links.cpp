#include "platform/win32/system/junction_tool_links.h"

#include <windows.h>

#include <vector>

#include "base/command_line.h"
#include "base/rights.h"
#include "base/win32/handles.h"
#include "platform/win32/system/system_message.h"

namespace mirafold::win32 {
namespace {

platform::MoveStatus runTool(const std::wstring& tool, const std::vector<std::wstring>& args) {
  std::wstring commandLine = base::quoteArgument(tool) + L" " + base::joinArguments(args);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &started)) {
    return platform::MoveStatus::failure(systemMessage(::GetLastError()));
  }
  const base::win32::UniqueKernelHandle process(started.hProcess);
  const base::win32::UniqueKernelHandle thread(started.hThread);
  ::WaitForSingleObject(process.get(), INFINITE);
  DWORD code = 1;
  if (!::GetExitCodeProcess(process.get(), &code)) code = ::GetLastError();
  if (code == 0) return platform::MoveStatus::success();
  if (base::isNoRightsError(code)) {
    return {platform::MoveStatus::Code::NoRights, systemMessage(code), {}};
  }
  return platform::MoveStatus::failure(systemMessage(code));
}

}  // namespace

LinkCommands junctionToolLinks(const std::wstring& tool) {
  return {[tool](const std::wstring& link, const std::wstring& target) {
            return runTool(tool, {link, target});
          },
          [tool](const std::wstring& link) {
            return runTool(tool, {L"-d", link});
          }};
}

}  // namespace mirafold::win32

#include "link/tool.h"

namespace mirafold::link {

std::wstring toolPath(std::wstring_view programFolder) {
  // Appended without looking at the folder's last character, also at a drive root.
  return std::wstring(programFolder) + L"\\junction.exe";
}

std::wstring toolCommand(std::wstring_view programFolder) {
  const std::wstring tool = toolPath(programFolder);
  return tool.find(L' ') == std::wstring::npos ? tool : L'"' + tool + L'"';
}

std::wstring preliminaryRun(std::wstring_view programFolder) {
  return toolCommand(programFolder) + L" /accepteula";
}

std::optional<std::wstring> toolParameters(std::wstring_view commandLine,
                                           std::wstring_view programFolder) {
  const std::wstring prefix = toolCommand(programFolder) + L' ';
  if (!commandLine.starts_with(prefix)) return std::nullopt;
  return std::wstring(commandLine.substr(prefix.size()));
}

bool isToolsOwnCode(std::uint32_t exitCode) { return (exitCode & 0x20000000u) != 0; }

}  // namespace mirafold::link

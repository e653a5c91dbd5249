#include "platform/win32/system/own_links.h"

#include <vector>

#include "base/rights.h"
#include "host_shell.h"
#include "junction/arguments.h"
#include "junction/tool.h"
#include "platform/win32/system/system_message.h"
#include "win32_system.h"

namespace mirafold::win32 {
namespace {

// The tool's lines go nowhere: its exit code says what happened, in the system's words.
class Silent final : public junction::Console {
 public:
  void out(const std::wstring&) override {}
  void err(const std::wstring&) override {}
};

// As the tool started with these arguments would do it.
platform::MoveStatus runTool(const std::vector<std::wstring>& args) {
  const junction::win32::HostShell shell;
  const bool wine = shell.available();
  junction::win32::Win32System system(wine ? &shell : nullptr, wine);
  Silent console;
  const std::uint32_t code = junction::run(junction::parseArguments(args), system, console);
  if (code == 0) return platform::MoveStatus::success();
  if (base::isNoRightsError(code)) {
    return {platform::MoveStatus::Code::NoRights, systemMessage(code), {}};
  }
  return platform::MoveStatus::failure(systemMessage(code));
}

}  // namespace

LinkCommands ownLinks() {
  return {[](const std::wstring& link, const std::wstring& target) {
            return runTool({link, target});
          },
          [](const std::wstring& link) {
            return runTool({L"-d", link});
          }};
}

}  // namespace mirafold::win32

#include "about/about.h"

#include <array>
#include <string_view>

#include "about/website.h"
#include "mirafold_version.h"

namespace mirafold::about {
namespace {

constexpr std::wstring_view kAuthor = L"Mirafold 开发组";
constexpr std::wstring_view kWeChat = L"mirafold-project";
constexpr std::wstring_view kQq = L"000000";

// The lines after the first, which alone carries the build number.
constexpr std::array<std::wstring_view, 14> kBody{
    L"本软件自带junction.exe，无需另外下载",
    L"",
    L"本软件为Junction用户提供图形界面以方便操作",
    L"用户可使用本软件来创建一个文件夹的映射链接",
    L"链接本身并不会占用储存空间，且其他软件可识别映射的路径",
    L"假如你想要让一个文件夹同时存在于两个目录，而又不想占用两倍空间",
    L"或者你遇到了一些只能安装在C盘的软件而你又不想占用C盘空间",
    L"本软件都可以帮到你",
    L"此功能为NTFS文件系统特性，因此只有NTFS文件系统的分区才能使用",
    L"也因此本软件不需要在后台运行，即使被彻底退出，映射依然生效",
    L"",
    L"尽管作者已多次向360投诉，但360仍偶尔会误杀本软件",
    L"本软件绝无恶意代码，请各位放心使用",
    L"另外本软件为开源软件，各位可前往作者网站下载源代码",
};

}  // namespace

std::wstring aboutMessage(std::uint16_t revision) {
  std::wstring text = L"Mirafold （文件夹映射工具）v" MIRAFOLD_VERSION_SHORT L" (Build " +
                      std::to_wstring(revision) + L")";
  const auto line = [&text](std::wstring_view next) { (text += L"\r\n") += next; };
  line(L"作者：" + std::wstring(kAuthor) + L" ");
  line(L"微信：" + std::wstring(kWeChat) + L" QQ：" + std::wstring(kQq));
  line(L"官方网站：" + std::wstring(kWebsite));
  for (std::wstring_view body : kBody) line(body);
  return text;
}

AboutHandlers::AboutHandlers(AboutControls controls, AboutServices services) : s_(services) {
  controls.label7.onClick([this] { Label7_Click(); });
  controls.label3.onClick([this] { Label3_Click(); });
}

void AboutHandlers::Label7_Click() { s_.messages.show(aboutMessage(s_.program.revision())); }

void AboutHandlers::Label3_Click() {
  // The browser is not waited for; whether it starts is its own affair. The explorer is named by
  // its full path: by its bare name, one lying in the program's folder would start instead.
  const std::wstring windows = s_.systemFolders.places().windows;
  if (windows.empty()) return;
  s_.processes.start(L"\"" + windows + L"\\explorer.exe\" " + std::wstring(kWebsite),
                     platform::WindowShow::NormalWithFocus);
}

}  // namespace mirafold::about

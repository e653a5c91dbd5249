#pragma once
// What the user reads about a move. Texts with blanks carry %1, %2, ... filled by base::fillIn.

#include <string_view>

namespace mirafold::move {

inline constexpr std::wstring_view kConfirmMove =
    L"将把“%1”（%2 个文件，%3）移动到“%4”，并在原处创建指向它的链接。是否继续？";
inline constexpr std::wstring_view kMoveDone = L"移动完成，已在原处创建链接";
inline constexpr std::wstring_view kConfirmMoveBack =
    L"将把“%1”（%2 个文件，%3）移回“%4”，并删除该链接。是否继续？";
inline constexpr std::wstring_view kMovedBack = L"已移回原处";
inline constexpr std::wstring_view kCancelledNothingChanged = L"已取消，未做任何更改";
inline constexpr std::wstring_view kMoveFailedNothingChanged = L"移动失败：%1。未做任何更改";
inline constexpr std::wstring_view kMoveDoneOldFolderLeft = L"移动完成，但旧文件夹未能删除：%1";
inline constexpr std::wstring_view kFileInUse = L"文件正在使用：%1";
inline constexpr std::wstring_view kNoPermissionsThere = L"目标分区不支持文件权限";
inline constexpr std::wstring_view kManyNamesBecomeCopies =
    L"其中 %1 个文件有多个名称（硬链接），移动后将各自成为独立的文件";
inline constexpr std::wstring_view kNoRightsQuestion =
    L"移动失败：权限不足。是否以管理员身份重新移动？";
// The helper with administrator rights could not be started, or never answered; %1 says why.
inline constexpr std::wstring_view kNoHelper = L"未能以管理员身份运行：%1";
// The elevated helper refuses an entry it was handed that is not a move's own journal.
inline constexpr std::wstring_view kUntrustedEntry = L"移动失败：移动记录不可用：%1。未做任何更改";
// The helper's own journal folder could not be made one that only administrators can change.
inline constexpr std::wstring_view kNoProtectedJournal =
    L"移动失败：无法准备只有管理员可以更改的移动记录文件夹：%1。未做任何更改";
// Between the user's consent and the helper's start, the folder or its link changed.
inline constexpr std::wstring_view kPlanChanged =
    L"移动失败：确认之后文件夹或链接已被更改：%1。未做任何更改";
// The elevated helper's own question, in its own box that no program of the user can press: the
// move it is about to make, from %1 to %2.
inline constexpr std::wstring_view kHelperAsksMoveAway =
    L"以管理员身份移动：将把“%1”移动到“%2”，并在原处创建指向它的链接。是否继续？";
inline constexpr std::wstring_view kHelperAsksMoveBack =
    L"以管理员身份移回：将把“%1”移回“%2”，并删除该链接。是否继续？";
inline constexpr std::wstring_view kHelperAsksComplete =
    L"以管理员身份完成上次未完成的移动：“%1” → “%2”。是否继续？";
inline constexpr std::wstring_view kHelperAsksUndo =
    L"以管理员身份撤销上次未完成的移动（“%1” → “%2”），文件夹将留在“%1”。是否继续？";
inline constexpr std::wstring_view kHelperNotAgreed =
    L"移动未开始：以管理员身份运行的确认未获同意，未做任何更改";
// What the helper does not do for a user who could not do it themselves; %1 names where.
inline constexpr std::wstring_view kHelperLinksNotTheUsers =
    L"文件夹中有符号链接，当前用户自己不能创建符号链接，以管理员身份移动时也不会代为创建。"
    L"可在 Windows 设置中开启开发人员模式后再移动：%1";
inline constexpr std::wstring_view kHelperDestinationReplaceable =
    L"目标位置所经过的文件夹可被当前用户改名或删除，移动后链接可能被其他程序改为指向别处，"
    L"因此不以管理员身份移动到这里：%1";
// A move left unfinished, told in a box with only OK: its reason; the next start asks.
inline constexpr std::wstring_view kMoveUnfinished =
    L"移动未完成：%1。下次启动时将询问是完成还是撤销此次移动";
// Its reason when the administrator's move ended without a word.
inline constexpr std::wstring_view kHelperEndedUntold = L"以管理员身份运行的移动未报告结果就已结束";
inline constexpr std::wstring_view kUnfinishedMoveQuestion =
    L"上次的移动未完成：%1 → %2。是否完成它？（选“否”则撤销）";
// A recovery found the copy unlike its original: both kept, the journal too.
inline constexpr std::wstring_view kRecoveryCopyDiffers =
    L"移动未完成：%1。原文件夹未删除，下次启动时可选择撤销此次移动";
inline constexpr std::wstring_view kUndoneCopyKept =
    L"已撤销移动，原文件夹已放回原处；与原文件夹不一致的副本保留在：%1";
// Programs that hold the folder, asked with Retry and Cancel: the heading, then a line for each.
inline constexpr std::wstring_view kHoldersHeading = L"以下程序正在使用此文件夹，请先关闭它们：";
inline constexpr std::wstring_view kHolderProgram = L"%1（%2，进程 %3）";
inline constexpr std::wstring_view kHolderService = L"%1（服务 %2，进程 %3）";
inline constexpr std::wstring_view kHolderUnknownFile = L"%1（进程 %2）";
inline constexpr std::wstring_view kMoreHolders = L"……以及另外 %1 个程序";
// Places apps keep their data in that a link breaks, each with its maker's advice; %1 the place.
inline constexpr std::wstring_view kDockerDesktopData =
    L"Docker Desktop 不支持将其数据文件夹换成链接，请在 Docker Desktop 的设置中更改其位置：%1";
inline constexpr std::wstring_view kDockerDesktopDisk =
    L"这是 Docker Desktop 的磁盘映像文件夹，请在 Docker Desktop 的设置（Resources > Advanced > "
    L"Disk image location）中更改其位置：%1";
inline constexpr std::wstring_view kWslDistribution =
    L"这是 WSL 发行版的磁盘文件夹：%1\r\n用其他工具移动可能损坏发行版，请用此命令移动它：\r\n"
    L"wsl --manage <发行版名称> --move <新位置>";
inline constexpr std::wstring_view kStoreAppData =
    L"这是 Microsoft Store 应用的数据文件夹，换成链接后应用可能无法运行，请在“设置 > 应用 > "
    L"已安装的应用”中用“移动”把应用移到其他驱动器：%1";
inline constexpr std::wstring_view kOneDriveFolder =
    L"这是 OneDrive 文件夹，换成链接后 OneDrive 无法同步，请在 OneDrive 的设置中取消链接此电脑，"
    L"再登录并选择新的位置：%1";
// A place of the table that the move would take along, told in the confirmation.
inline constexpr std::wstring_view kAppPlaceWarning = L"注意：%1";

// Reasons a move stopped, shown after "移动失败：".
inline constexpr std::wstring_view kNotFound = L"找不到：%1";
inline constexpr std::wstring_view kCopyDiffers = L"复制的文件与原文件不一致：%1";
inline constexpr std::wstring_view kLinkLeadsElsewhere = L"链接未指向：%1";
inline constexpr std::wstring_view kNoJunctionTool = L"找不到 junction.exe";
inline constexpr std::wstring_view kNotALink = L"不是链接：%1";
inline constexpr std::wstring_view kVolumeMountPoint =
    L"这是分区的装入点，不随文件夹复制，也不在此删除：%1";
inline constexpr std::wstring_view kEntryChanged =
    L"此项在检查后被更改（例如被换成了链接），为安全起见移动已停止：%1";
inline constexpr std::wstring_view kFolderNotAsPlanned = L"文件夹已不是计划中的那个：%1";
inline constexpr std::wstring_view kCopyHasExtra = L"副本中出现了原文件夹没有的项目：%1";

inline constexpr std::wstring_view kSourceIsLink = L"该文件夹本身就是链接";
inline constexpr std::wstring_view kDestinationInsideSource = L"目标位置不可位于要移动的文件夹之内";
inline constexpr std::wstring_view kNameExistsOnRight = L"右侧文件夹中已存在同名文件夹";
inline constexpr std::wstring_view kNotEnoughSpace = L"目标分区空间不足：需要 %1，可用 %2";
inline constexpr std::wstring_view kNetworkDestination = L"链接目标不可位于网络位置";
inline constexpr std::wstring_view kCloudFiles = L"该文件夹包含尚未下载到本机的云文件：%1";
inline constexpr std::wstring_view kSymbolicLinkNeedsRights =
    L"文件夹中的符号链接需要管理员权限或开发人员模式才能复制：%1";
inline constexpr std::wstring_view kFat32FileTooLarge =
    L"目标分区为FAT32，不能存放4GB或更大的文件：%1";
// What the confirmation says a copy changes or cannot keep.
inline constexpr std::wstring_view kLinksLeadOutside =
    L"其中 %1 个相对符号链接指向文件夹之外，移动后将改为指向原来的位置（例如：%2）";
inline constexpr std::wstring_view kStreamsLost =
    L"目标分区不支持备用数据流，%1 个文件的备用数据流将丢失（例如：%2）";
inline constexpr std::wstring_view kSparseFilledIn =
    L"目标分区不支持稀疏文件，%1 个稀疏文件将占用其完整大小";
inline constexpr std::wstring_view kCompressionLost =
    L"目标分区不支持压缩，%1 个压缩文件将占用其完整大小";
// Owners a copy cannot keep without administrator rights; links a FAT or exFAT drive cannot hold.
inline constexpr std::wstring_view kOwnersBecomeYours =
    L"其中 %1 项的所有者是其他用户或系统（例如：%2），移动后其所有者将变为你；"
    L"以管理员身份移动可保留原所有者";
inline constexpr std::wstring_view kLinksNotKeptThere = L"目标分区（%1）不能存放文件夹中的链接：%2";
// Folders no move may take; %1 is where the folder really is.
inline constexpr std::wstring_view kStaysVolumeRoot = L"这是分区的根目录，不能整个移动：%1";
inline constexpr std::wstring_view kStaysWindows =
    L"此文件夹属于 Windows 系统，移动后系统可能无法启动或更新：%1";
inline constexpr std::wstring_view kStaysStoreApps =
    L"此文件夹存放由 Windows 管理的应用，移动后这些应用将无法运行或更新：%1";
inline constexpr std::wstring_view kStaysSystemRoot =
    L"这是系统文件夹，Windows 和已安装的程序依赖它的位置，不能移动：%1";
inline constexpr std::wstring_view kStaysProfile =
    L"此文件夹属于用户配置文件，移动后该用户可能无法登录或程序设置丢失：%1";
inline constexpr std::wstring_view kStaysOwn =
    L"此文件夹存放本程序或其移动记录，本程序使用时不能移动：%1";

// The context menu of a folder row.
inline constexpr std::wstring_view kMoveAwayAndLink = L"移动到右侧文件夹，并在原处创建链接";
inline constexpr std::wstring_view kMoveBackAndUnlink = L"移回原处并删除链接";
inline constexpr std::wstring_view kOpenInExplorer = L"在资源管理器中打开";

// A queue of moves: the one question, the progress window's title while a move of it runs, the
// end, each with a line for each folder ("“<folder>”：<what is said of it>").
inline constexpr std::wstring_view kConfirmMoveQueue =
    L"将把 %1 个文件夹（%2 个文件，%3）移动到“%4”，并在原处创建指向它们的链接。是否继续？";
inline constexpr std::wstring_view kQueueWillNotMove = L"以下文件夹不会移动：";
inline constexpr std::wstring_view kQueueFolderLine = L"“%1”：%2";
inline constexpr std::wstring_view kQueueMovingTitle = L"正在移动 %1 / %2：%3";
inline constexpr std::wstring_view kQueueEnded = L"已移动 %1 / %2 个文件夹：";
inline constexpr std::wstring_view kQueueNotStarted = L"未开始";
// Said after a folder's failure for want of rights: the offer comes only to a move made alone.
inline constexpr std::wstring_view kQueueAloneForRights =
    L"（单独移动此文件夹时，可选择以管理员身份移动）";
inline constexpr std::wstring_view kQueueTooLong = L"一次最多移动 %1 个文件夹，请分批选择。";
// At the next start, after a kill cut a queue short and its move under way was recovered; then
// the folders, one a line, under each heading that has any.
inline constexpr std::wstring_view kQueueCutShort = L"上次的移动队列未完成。";
inline constexpr std::wstring_view kQueueCutShortMoved = L"已移动（原处已创建链接）：";
inline constexpr std::wstring_view kQueueCutShortNotMoved = L"未移动：";
// A move, queue or recovery is already under way, in this window or another of the program's.
inline constexpr std::wstring_view kAnotherMoveUnderWay = L"另一项移动正在进行。请等它结束后再试。";

// The progress window's title and button.
inline constexpr std::wstring_view kMovingTitle = L"正在移动";
inline constexpr std::wstring_view kCancel = L"取消";

// The progress window's lines: files done of all, bytes done of all; speed, time left.
inline constexpr std::wstring_view kProgressCounts = L"%1 / %2 个文件，%3 / %4";
inline constexpr std::wstring_view kProgressRate = L"%1/秒，剩余约 %2";
inline constexpr std::wstring_view kSeconds = L"%1 秒";
inline constexpr std::wstring_view kMinutes = L"%1 分 %2 秒";

}  // namespace mirafold::move

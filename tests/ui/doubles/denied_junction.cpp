// Stands in for junction.exe where the user lacks the rights: the first creation is refused with
// ERROR_ACCESS_DENIED, as a folder only an administrator may write refuses it; every later one
// (the retry as administrator) has the real tool (junction-real.exe beside it) make the link.

#include <string>

#include "real_tool.h"

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"/accepteula") return 0;
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder = self;
  folder = folder.substr(0, folder.rfind(L'\\'));
  if (::CreateDirectoryW((folder + L"\\refused-once").c_str(), nullptr)) return ERROR_ACCESS_DENIED;
  return runRealTool(argc, argv);
}

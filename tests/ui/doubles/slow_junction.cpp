// Stands in for junction.exe: waits 1.5 s, then has the real tool (junction-real.exe beside it)
// make the link, so that the program sees a link that comes late.

#include <string>

#include "real_tool.h"

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"/accepteula") return 0;
  ::Sleep(1500);
  return runRealTool(argc, argv);
}

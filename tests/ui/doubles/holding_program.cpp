// Stands in for a program the user runs from inside a folder: it does nothing but run, until the
// test that started it ends it.

#include <windows.h>

int wmain() {
  ::Sleep(120000);
  return 0;
}

// Velmora: warns when a drive's free space falls to or below a threshold, or when a
// directory tree's used size rises to or above one. The process is the main window:
// loading it decides the run mode, and unloading it ends the process.
#include <windows.h>

#include "shortcut/MDllChk.h"
#include "ui/frmVelmora1.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything loads a library on demand: system libraries come from the system
  // folder only, never from the program's or the current folder or PATH.
  velmora::LibrarySearchRestrict();

  // A drive without medium must not raise the system's "insert a disk" box: the
  // automatic run reports such a drive with its own message.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

  velmora::ui::frmVelmora1 form;
  if (!form.Load()) return 3;
  return form.Run();
}

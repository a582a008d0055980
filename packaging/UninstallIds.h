// Resource and control ids of Uninstall.exe's question (Uninstall.rc, UninstallDialog.cpp).
// Plain preprocessor definitions only: the resource compiler reads this file too.
#ifndef VELMORA_PACKAGING_UNINSTALLIDS_H
#define VELMORA_PACKAGING_UNINSTALLIDS_H

#define VELMORA_CONFIRM_DIALOG 101
#define VELMORA_QUESTION 1001
#define VELMORA_WHAT 1002
#define VELMORA_FOLDER 1003
#define VELMORA_ALSO 1004
#define VELMORA_DELETE_DATA 1005

#endif

// Resource ids of Velmora.exe, shared by the resource script (Velmora.rc) and the code
// that loads the resources (ui/ControlIds.h names them for the code). Plain
// preprocessor definitions only: the resource compiler reads this file too.
#ifndef VELMORA_UI_RES_RESOURCEIDS_H
#define VELMORA_UI_RES_RESOURCEIDS_H

// The program's icon: the file's in Explorer, and the windows' class icon.
#define VELMORA_ICON_PROGRAM 1
// The pointing hand over the About window's homepage link.
#define VELMORA_CURSOR_HAND 601

#endif

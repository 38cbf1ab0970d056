// Running as administrator: whether this process does, and starting the program again so.
// Plain Win32; the window decides when to offer it.
#pragma once

#include <windows.h>

// Whether this process runs elevated: 1 it does, 0 it does not, -1 the system has no
// elevation to offer (the 95/98/Me family, and XP, which has no prompt). Asked of the system
// once; cheap after that.
int ElevationState();

// Starts this program again through the shell's "runas" verb, which asks for administrator
// rights. False when it did not start: the person declined the system's prompt, or it failed.
bool RestartElevated();

#pragma once
// The library's boundary to the host's editor: system variables, commands,
// selection sets, user input, the coordinate system and the host's windows.
#include <aced.h>
#include <afxwin.h>
#include <dbwipeout.h>
#include <winuser.h>

#include "drovik/host/database.h"

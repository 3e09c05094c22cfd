#pragma once

// Resource identifiers shared by the program's resource script and its code.
// Plain macros: the resource compiler reads this file too.

// The program's icon (16 and 32 pixel images); also the window's icon.
#define IDI_APP 1

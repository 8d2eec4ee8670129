// Fonts of the map drawing by screen role. The application core installs the lookup into its font
// table; until it does, each role answers a plain font of its own, created once.
#pragma once

#include "platform/gdi/gdi.h"

namespace cumulor {

using MapFontSource = HFONT (*)(int role);

// Installs the lookup (null goes back to the plain fonts).
void SetMapFontSource(MapFontSource source);
// The font of a screen role; never null.
HFONT MapFont(int role);

}  // namespace cumulor

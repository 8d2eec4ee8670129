#include "velomar/ui/ThemeRecords.h"

void ResetPosition(ThemePosition& position) { position = ThemePosition{}; }

void ResetRgb(ThemeRgb& rgb) { rgb = ThemeRgb{}; }

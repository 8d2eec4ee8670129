// What a test sees of the buttons' image caches.
#pragma once

#include <cstddef>

namespace velomar::seam {
// Image files read (the fallback's read included) since the caches were last cleared.
int ImageFileLoads();
// Entries of the resized-image cache.
std::size_t ScaledImageCount();
// Empties both caches and deletes their bitmaps (no button may still hold one).
void ClearImageCaches();
}  // namespace velomar::seam

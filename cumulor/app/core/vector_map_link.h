// Connects the vector map store to the application: loading the selected map files and shape
// layers (with the tile cache as the index of the tiled files), the draw list on every re-centre,
// and the terrain colouring settings.
#pragma once

#include "cumulor/app/app_context.h"

namespace cumulor {

// Loads the selected "Terrain" and "Shape" files (UI thread). Takes the main lock, the point-table
// lock and the store's lock, in that order; the objects in view are collected again afterwards.
void LoadAppVectorMaps(AppContext& app);
// The store's draw list for the view at the current zoom level, when the vector map is shown and
// the store holds objects (main lock held).
void RebuildAppVectorMap(AppContext& app, const GeoRect& view);
// The first map file's box places the map centre while no centre is set: its middle.
void SetDefaultMapCentre(AppContext& app, const GeoRect& box);
// Registers the terrain colour dialog (155) with the store and the map's redraw.
void InstallVectorMapHooks(AppContext& app);
// The frame's background and vector map step together, from the picture kept of them where it
// serves (main lock held).
void DrawAppMapBase(AppContext& app);
// The places, spot heights and named points of the vector map (not part of the kept picture),
// and with the frame's label places also those of the map tiles in view: each drawn where its
// label has a free place on the screen (main lock held).
void DrawAppMapPoints(AppContext& app);
// Frees the kept picture (with the back buffer).
void FreeAppMapBase();

}  // namespace cumulor

// The reload of the aeronautical database from the selected data files: the files of category 5,
// the regions named by category 6.
#pragma once

#include "cumulor/data/aero/ka1_reader.h"

namespace cumulor {

// Rebuilds the Countries available list from the regions offered ("USA, <state>" for the USA's
// regions, else the country name) and drops selected countries that no longer exist.
void ListCountryFiles(const AeroTables& t);

// Lists every region of the selected database files, rebuilds the Countries list, selects the
// chosen regions, reloads the tables and rebuilds the point tables with fresh reference positions.
// (The country chooser, when it runs, does so before the selection.)
void ReloadAviationData(AeroTables& t, TileCache& tiles, const AeroUi& ui);

}  // namespace cumulor

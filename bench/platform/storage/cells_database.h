// The database "cells" both storage benchmark programs build: a unique sort on property 0x10003
// (an integer) and a second property, as the cells of Velomar have them; record i has the key i * 7.
#pragma once

#include <algorithm>
#include <string>

#include "platform/cedb/cedb.h"

namespace bench {

// Creates "cells" on the mounted volume and opens it; INVALID_HANDLE_VALUE when either fails.
inline HANDLE CreateCellsDatabase(CEGUID& guid) {
  CEDBASEINFOEX info{};
  info.wVersion = 2;
  info.wNumSortOrder = 1;
  info.dwFlags = CEDB_VALIDNAME | CEDB_VALIDSORTSPEC;
  std::u16string name = u"cells";
  std::copy(name.begin(), name.end(), info.szDbaseName);
  info.rgSortSpecs[0] = SORTORDERSPECEX{2, 1, CEDB_SORT_UNIQUE, 0, {0x10003, 0, 0}, {0, 0, 0}};
  if (!CeCreateDatabaseWithProps(&guid, &info, 0, nullptr)) return INVALID_HANDLE_VALUE;
  CEOID oid = 0;
  SORTORDERSPECEX sort = info.rgSortSpecs[0];
  return CeOpenDatabaseInSession(nullptr, &guid, &oid, name.data(), &sort, CEDB_AUTOINCREMENT, nullptr);
}

// Writes record i (key i * 7, second property i % 10).
inline bool WriteCell(HANDLE db, int i) {
  CEPROPVAL v[2]{};
  v[0].propid = 0x10003;
  v[0].val.lVal = i * 7;
  v[1].propid = 0x20003;
  v[1].val.lVal = i % 10;
  return CeWriteRecordProps(db, 0, 2, v) != 0;
}

}  // namespace bench

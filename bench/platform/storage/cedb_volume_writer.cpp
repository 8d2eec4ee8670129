// Writes a CEDB volume in a process of its own, for the benchmark that reads it in another:
//   cedb_volume_writer <device folder> <volume's CE path> <records>
// The volume gets the database "cells" with a unique sort on property 0x10003 (the keys 0, 7,
// 14, ...) and a second property, as the cells of Velomar have them; it is unmounted at the end.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/cedb/cedb.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/sync.h"
#include "platform/text/utf.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  ce::SetDeviceFolder(argv[1]);
  std::u16string file = ce::text::FromUtf8(argv[2]);
  const int records = std::atoi(argv[3]);
  CEGUID guid{};
  if (!CeMountDBVolEx(&guid, file.data(), nullptr, CREATE_ALWAYS)) return 1;
  CEDBASEINFOEX info{};
  info.wVersion = 2;
  info.wNumSortOrder = 1;
  info.dwFlags = CEDB_VALIDNAME | CEDB_VALIDSORTSPEC;
  std::u16string name = u"cells";
  std::copy(name.begin(), name.end(), info.szDbaseName);
  info.rgSortSpecs[0] = SORTORDERSPECEX{2, 1, CEDB_SORT_UNIQUE, 0, {0x10003, 0, 0}, {0, 0, 0}};
  if (!CeCreateDatabaseWithProps(&guid, &info, 0, nullptr)) return 1;
  CEOID oid = 0;
  SORTORDERSPECEX sort = info.rgSortSpecs[0];
  HANDLE db = CeOpenDatabaseInSession(nullptr, &guid, &oid, name.data(), &sort, CEDB_AUTOINCREMENT, nullptr);
  if (db == INVALID_HANDLE_VALUE) return 1;
  for (int i = 0; i < records; ++i) {
    CEPROPVAL v[2]{};
    v[0].propid = 0x10003;
    v[0].val.lVal = i * 7;
    v[1].propid = 0x20003;
    v[1].val.lVal = i % 10;
    if (!CeWriteRecordProps(db, 0, 2, v)) return 1;
  }
  CloseHandle(db);
  return CeUnmountDBVol(&guid) ? 0 : 1;
}

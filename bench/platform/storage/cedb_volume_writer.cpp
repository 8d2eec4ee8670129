// Writes a CEDB volume in a process of its own, for the benchmark that reads it in another:
//   cedb_volume_writer <device folder> <volume's CE path> <records>
// The volume gets the database "cells" with a unique sort on property 0x10003 (the keys 0, 7,
// 14, ...) and a second property, as the cells of Velomar have them; it is unmounted at the end.
#include <cstdlib>
#include <string>

#include "bench/platform/storage/cells_database.h"
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
  HANDLE db = bench::CreateCellsDatabase(guid);
  if (db == INVALID_HANDLE_VALUE) return 1;
  for (int i = 0; i < records; ++i)
    if (!bench::WriteCell(db, i)) return 1;
  CloseHandle(db);
  return CeUnmountDBVol(&guid) ? 0 : 1;
}

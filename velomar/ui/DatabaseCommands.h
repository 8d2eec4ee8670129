// The database maintenance that the main window's menu offers: backup, restore, format, XML import
// and the integrity check. Each holds the database lock from closing the volume until it is open
// again, so that the schedule engine never works on closed or replaced tables, and the volume is
// open again when it returns (unless it cannot be opened at all, which is told). UI thread.
#pragma once

#include "platform/base/types.h"

class CDB;

namespace velomar::ui {

// Copies the volume file to a file the user chooses (the save chooser, preset "quarn.db"). A
// failed copy is told with "DB NOT COPIED" and the error code.
void BackupDatabase(CDB& db, HWND owner);

// After "OPERATION WILL DELETE RECORDS" is answered Yes, copies a file the user chooses over the
// volume file. The previous file is kept aside first: when the new one cannot be copied or does
// not open as a volume, the previous one is put back and opened, and the failure is told. True
// when the tables changed.
bool RestoreDatabase(CDB& db, HWND owner);

// After "OPERATION WILL DELETE RECORDS" is answered Yes, deletes the volume file and opens an
// empty volume with its default records. A file that cannot be deleted is told with
// "DB NOT ERASED" and the error code, and the volume is opened again as it was. True when the
// tables changed.
bool FormatDatabase(CDB& db, HWND owner);

// After "OPERATION WILL DELETE RECORDS" is answered Yes, replaces the tables by the places of
// "\Velomar.xml". The file is read and parsed before anything is deleted: a missing file is told
// with "ERROR_XML_IMPORT_FILE_NOT_FOUND", one that does not parse with "ERROR READING FILE", and
// the tables stay as they were. While the places are added a small window shows how many are
// done; the success box says how many rows were skipped, if any. True when the tables changed.
bool ImportExchangeFile(CDB& db, HWND owner);

// Checks every table and tells the count of records: "DB NOT ERRORS" when all passed, else
// "DB REPORT ERRORS" in an error box.
void CheckDatabaseIntegrity(CDB& db, HWND owner);

}  // namespace velomar::ui

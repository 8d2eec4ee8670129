// The places database: the CEDB volume "quarn.db" in the program folder and its five tables
// (places, lacs, cells, periods, actions). One instance per process, reached through GetInstance.
//
// The database lock: whoever closes and reopens the volume (the maintenance commands) holds it
// from the close until the volume is open again, and a thread that must never see a closed volume
// (the schedule engine) holds it around its table reads and writes. OpenDB, CloseDB, the integrity
// check and the exchange file take it themselves. The tables' own locks are taken after it, never
// before it.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/base/types.h"
#include "platform/cedb/cedb.h"

struct IXMLDOMDocument;
class CTableBase;
class CTablePlaces;
class CTableLAC;
class CTableCell;
class CTableLocation;
class CTablePeriods;
class CTableActions;

class CDB {
 public:
  // Becomes the instance, builds the volume path and creates the five tables (places, lacs, cells,
  // periods, actions, which register in that order). Nothing is mounted.
  CDB();
  // Flushes and unmounts a mounted volume (the table handles are not closed: call CloseDB first
  // for an orderly close), deletes the tables and stops being the instance.
  virtual ~CDB();
  CDB(const CDB&) = delete;
  CDB& operator=(const CDB&) = delete;

  // The instance (null while none exists).
  static CDB* GetInstance();

  // Mounts the volume (creating it when absent) and opens every table in list order; a table whose
  // database is missing creates it with its default records. A volume that cannot be mounted
  // raises "ERROR OPENING VOLUME" (translated, with the error code); a table that cannot be
  // opened raises its own error and the tables after it stay closed. Answers 0x80004001, which
  // means nothing.
  virtual HRESULT OpenDB();
  // Flushes the volume, closes every table and unmounts; answers 1 even when the unmount failed.
  virtual int CloseDB();
  virtual int Reserved() { return 0; }
  virtual PCEGUID GetVolumeGuid() { return &m_guid; }
  virtual CTablePlaces* GetPlacesTable() { return m_places; }
  virtual CTableLAC* GetLacsTable() { return m_lacs; }
  virtual CTableCell* GetCellsTable() { return m_cells; }
  virtual CTablePeriods* GetPeriodsTable() { return m_periods; }
  // The cells table when the setting "location_mode" is nonzero, else the lacs table (read at
  // every call).
  virtual CTableLocation* GetLocationTable();
  virtual CTableActions* GetActionsTable() { return m_actions; }
  virtual void AddTable(CTableBase* table);
  virtual void DumpAll();
  // Deletes every row of every table (no cascades).
  virtual void DeleteAllRecords();

  // Closes and reopens the volume, then checks every table in list order; `total` gets the sum of
  // the counts of the tables that passed. True when every table passed.
  bool CheckIntegrity(int& total);
  // The rows of every table.
  int CountRecords();

  // Writes every place with its cells, LACs, periods and actions to "\Velomar.xml" and tells the
  // user whether that worked.
  void ExportXML();
  // What an import tells as it goes: the places done so far and all the places of the file
  // (first with 0 done, then about every hundredth, and once all are done). Called on the
  // importing thread.
  using ImportProgress = std::function<void(int done, int total)>;

  // Adds the places of "\Velomar.xml" to the tables (nothing is cleared) and tells the user. Rows
  // that cannot be stored as they stand (a cell or LAC id that is not a whole number from 0 up, a
  // schedule hour outside 0-23 or minute outside 0-59) are skipped, and the box says how many.
  void ImportXML();
  // "\Velomar.xml" loaded and parsed, or null when it cannot be read (the caller releases it):
  // a caller that clears the tables before an import reads the file first.
  static IXMLDOMDocument* LoadExchangeFile();
  // Adds the places of a loaded exchange document and tells the user; null is told as a file that
  // could not be read.
  void ImportXML(IXMLDOMDocument* document);
  // Replaces every table by the places of a loaded exchange document, whole or not at all: the new
  // volume is built beside the volume file and put in its place in one step once it is complete
  // and on disk. On any failure the volume stays as it was and `failure` says why, when more is
  // known than that the new volume could not be written (else it is left empty). Nothing
  // is shown; the volume is open again on return (unless it cannot be opened at all, which raises).
  // `skipped` gets the rows skipped as ImportXML skips them; `progress`, when set, is told as the
  // places are added.
  bool ReplaceFromExchange(IXMLDOMDocument* document, std::u16string& failure, int& skipped,
                           const ImportProgress& progress = {});
  // The success message of an import: "MESSAGE_XML_IMPORT_SUCCESS" with the file, and when rows
  // were skipped a line that says how many.
  static std::u16string ImportedText(int skipped);
  // The volume being built by ReplaceFromExchange (cleared by OpenDB when a run was cut short).
  std::u16string GetAsidePath() const { return m_volumePath + u".import"; }
  // While a volume is built aside nothing needs to reach the disk before it is whole: the tables
  // leave their flushes to the close.
  bool FlushesDeferred() const { return m_deferFlushes; }

  // The database lock (recursive).
  std::recursive_mutex& GetLock() { return m_lock; }
  // The volume file's CE path.
  const std::u16string& GetVolumePath() const { return m_volumePath; }

 private:
  bool GuidValid() const;
  // Deletes a volume file with the journal files SQLite keeps beside it.
  static void RemoveVolumeFiles(const std::u16string& path);

  CEGUID m_guid;
  bool m_mounted = false;
  bool m_deferFlushes = false;
  bool m_buildingAside = false;
  std::u16string m_volumePath;
  CTablePlaces* m_places = nullptr;
  CTableLAC* m_lacs = nullptr;
  CTableCell* m_cells = nullptr;
  CTablePeriods* m_periods = nullptr;
  CTableActions* m_actions = nullptr;
  std::vector<CTableBase*> m_tables;
  std::recursive_mutex m_lock;
};

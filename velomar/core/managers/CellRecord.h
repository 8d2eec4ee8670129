// One entry of the cell history: a position (cell id and LAC) the radio reported, the local time
// it was recorded, where it came from, and the place it belonged to. The place is looked up when
// the entry is made and again, lazily, after the history was told the places changed (place id
// -1). The history owns its records and calls them under its lock.
#pragma once

#include <string>

#include "platform/base/types.h"

class CCellRecord {
 public:
  CCellRecord(DWORD cell_id, DWORD lac, const SYSTEMTIME& time, bool from_notification);
  virtual ~CCellRecord() = default;

  // The value; with `resolve` set, the place is looked up first when it is due.
  DWORD GetCellId(bool resolve);
  DWORD GetLac(bool resolve);
  SYSTEMTIME GetTime();
  // The place's name, or the translated "UNKNOWN" when the position belongs to no place.
  std::u16string GetText();
  int GetPlaceId() const { return m_placeId; }
  bool IsFromNotification() const { return m_fromNotification; }

  // Asks for the place to be looked up again at the next read.
  void Invalidate() { m_placeId = -1; }
  // Looks the place up (the key is the cell id or the LAC by the radio's location mode now):
  // found with its place, the place's key and name; found but the place missing, nothing changes
  // (tried again at the next read); not found, place 0 and "UNKNOWN". A database that cannot be
  // read leaves the entry to be tried again.
  void LookUpPlace();

 private:
  void ResolveIfDue() {
    if (m_placeId == -1) LookUpPlace();
  }

  DWORD m_cellId;
  DWORD m_lac;
  SYSTEMTIME m_time;
  int m_placeId = -1;
  std::u16string m_text;
  bool m_fromNotification;
};

// The rules for storing a period of a place: the periods of one place never overlap. A new or
// changed period that overlaps another is refused; one that lies wholly inside another splits that
// one in two once the user agrees (the second part gets a new key and copies of the actions).
// Both run on the caller's thread (the period dialogs) and show their own boxes; the caller tells
// the schedule engine afterwards (ChangeInDB). Table errors pass to the caller.
#pragma once

class CDB;
class CStrPeriod;

namespace velomar::places {

// Inserts `period` (its place key set) when the rules allow: 1 stored (the record then holds its
// key), 0 refused. A whole-day period (start equal to end) is only accepted as a place's first.
int AddPeriod(CDB& db, CStrPeriod& period);
// Updates the stored `period` (its key set) when the rules allow: 1 updated, 0 refused. The period
// itself is not compared with its own stored row; a whole-day period is refused when the place has
// any other period.
int ModifyPeriod(CDB& db, CStrPeriod& period);

}  // namespace velomar::places

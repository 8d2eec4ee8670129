// What the profiles page's action list shows for the actions of one time frame, worked out without
// a window: which stored actions are shown, removed as stale or skipped; the row of each (one row a
// kind as a rule, the action run on entering in column 1 and the one run on leaving in column 2);
// the texts of every row and cell; and the colours of the cells.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/base/types.h"
#include "velomar/places/Records.h"

namespace velomar::profiles {

// The rows the list has room for; actions that would need a further row are not shown.
inline constexpr int kMaxActionRows = 100;

// What filling the list does with a stored action.
enum class ActionFate {
  kShow,
  kDelete,  // stale: removed from the actions table and not shown
  kSkip,    // a kind (or power value) the list has no text for: not shown, left in the table
};
ActionFate FateOfAction(const CStrAction& action);

// The name of an action's kind (column 0) and the text of its cell. A status value without a text
// gives an empty cell. Only for actions whose fate is kShow.
std::u16string ActionKindName(const CStrAction& action);
std::u16string ActionCellText(const CStrAction& action);

// One row of the list: column 0, then the cells of the action run on entering (trigger 0) and of
// the one run on leaving (trigger 1), with the object ids of those actions (0: no action).
struct ActionRow {
  std::u16string name;
  std::u16string cells[2];
  CEOID ids[2] = {0, 0};
};

// The rows for the actions of a time frame in table order, the stale actions to delete, and per
// trigger the row of each kind's latest action.
struct ActionRows {
  std::vector<ActionRow> rows;
  std::vector<CStrAction> stale;
  std::map<int, int> rowOfKind[2];
};
ActionRows BuildActionRows(const std::vector<CStrAction>& actions);

// Cell colours (COLORREF): column 0 alternates white (odd rows) and 0xFFC8C8 (even rows); an
// action cell is black on 0xC8FFC8 when the action runs today, on 0xC8C8FF when it is enabled but
// not for today, and on 0x646464 when it is disabled; a cell without an action is black on white.
struct CellColors {
  COLORREF text;
  COLORREF back;
};
CellColors NameCellColors(int row);
CellColors ActionCellColors(const CStrAction* action);

}  // namespace velomar::profiles

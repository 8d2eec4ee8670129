#include "velomar/places/PeriodRules.h"

#include <vector>

#include "platform/controls/controls.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/places/DB.h"
#include "velomar/places/TableActions.h"
#include "velomar/places/TablePeriods.h"
#include "velomar/places/TimeFrame.h"
#include "velomar/ui/Translator.h"

namespace velomar::places {
namespace {

constexpr int kMinutesPerDay = 24 * 60;

int MinuteOfDay(const CHourMinute& time) { return time.GetHour() * 60 + time.GetMinute(); }

// The minutes a frame lasts; a whole-day frame lasts the whole day.
int Length(const CTimeFrame& frame) {
  const int length = (MinuteOfDay(frame.GetEnd()) - MinuteOfDay(frame.GetStart()) + kMinutesPerDay) % kMinutesPerDay;
  return length == 0 ? kMinutesPerDay : length;
}

// `inner` lies wholly inside `outer`. The end points alone do not tell it for frames that run past
// midnight (22:00-06:00 holds both ends of 05:00-23:00), so the span is compared too.
bool LiesWithin(const CTimeFrame& outer, const CTimeFrame& inner) {
  if (!outer.Contains(inner)) return false;
  const int offset =
      (MinuteOfDay(inner.GetStart()) - MinuteOfDay(outer.GetStart()) + kMinutesPerDay) % kMinutesPerDay;
  return offset + Length(inner) <= Length(outer);
}

SYSTEMTIME TimeOf(const CHourMinute& time) {
  SYSTEMTIME out{};
  out.wHour = static_cast<WORD>(time.GetHour());
  out.wMinute = static_cast<WORD>(time.GetMinute());
  return out;
}

void ShowText(const std::u16string& text) { TextBox(nullptr, u"%s", text.c_str()); }

// Splits `existing` around `added`, which lies inside it. A part that would start where it ends
// (the new period begins or ends where the existing one does) is not made: the existing period
// is only shortened, and keeps its key and its actions in every case.
void Split(CDB& db, CStrPeriod existing, const CTimeFrame& added) {
  const CTimeFrame frame(existing);
  CTablePeriods& periods = *db.GetPeriodsTable();
  if (added.GetStart() == frame.GetStart()) {
    existing.SetBegin(TimeOf(added.GetEnd()));
    periods.Update(existing);
    return;
  }
  if (added.GetEnd() == frame.GetEnd()) {
    existing.SetEnd(TimeOf(added.GetStart()));
    periods.Update(existing);
    return;
  }
  CStrPeriod second = existing;
  existing.SetEnd(TimeOf(added.GetStart()));
  periods.Update(existing);
  second.SetBegin(TimeOf(added.GetEnd()));
  second.SetId(0);
  second.SetKey(-1);
  periods.Insert(second);
  std::vector<CStrAction> actions;
  db.GetActionsTable()->GetActionsOfPeriod(actions, existing.GetKey());
  for (CStrAction& action : actions) {
    action.SetId(0);
    action.SetKey(-1);
    action.SetIdPeriod(second.GetKey());
    db.GetActionsTable()->Insert(action);
  }
}

int Store(CDB& db, CStrPeriod& period, bool modify) {
  CTranslator* texts = CTranslator::GetInstance();
  const CTimeFrame frame(period);
  std::vector<CStrPeriod> others;
  db.GetPeriodsTable()->GetAllRecordsForPlace(others, period.GetIdPlace());
  if (modify) std::erase_if(others, [&](const CStrPeriod& p) { return p.GetKey() == period.GetKey(); });
  // A whole day overlaps every other period.
  if (!others.empty() && frame.IsEmpty()) {
    ShowText(texts->GetText(u"FRAME 24 NOT POSSIBLE"));
    return 0;
  }
  bool refused = false;
  for (const CStrPeriod& other : others) {
    const CTimeFrame other_frame(other);
    const bool inside = LiesWithin(other_frame, frame);
    const bool same = frame.GetStart() == other_frame.GetStart() && frame.GetEnd() == other_frame.GetEnd();
    if ((frame.Intersects(other_frame) && !inside) || same) {
      // Overlapping in part (or the very same times, which a split would turn into two whole days).
      ShowText(texts->GetFormatted(u"PERIOD INTERSECTS", other.GetName()));
      return 0;
    }
    if (!inside) continue;
    const std::u16string question = texts->GetFormatted(u"CONFIRM PERIOD SPLIT", other.GetName(), other.GetName());
    if (QuestionBox(nullptr, u"%s", question.c_str()) != IDYES) {
      refused = true;
      continue;
    }
    Split(db, other, frame);
  }
  if (refused) return 0;
  if (modify)
    db.GetPeriodsTable()->Update(period);
  else
    db.GetPeriodsTable()->Insert(period);
  return 1;
}

}  // namespace

int AddPeriod(CDB& db, CStrPeriod& period) { return Store(db, period, false); }

int ModifyPeriod(CDB& db, CStrPeriod& period) { return Store(db, period, true); }

}  // namespace velomar::places

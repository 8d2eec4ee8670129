#include <cstdio>

#include "cumulor/app/app_context.h"
#include "cumulor/app/base/text_convert.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/nav/dialogs/flight_stats_dialogs.h"
#include "cumulor/nav/stats/flight_stats.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/window/window.h"

namespace cumulor {

namespace {

void AddLine(HWND list, const char* text) {
  WCHAR wide[128];
  NarrowToWideN(wide, text, 127);
  SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide));
}

const char* PointName(const TaskPoint& p) {
  const char* name = PointRefName(PointRef{p.kind, p.index});
  return name ? name : "";
}

void FillList(HWND dialog, StatsBlock& stats) {
  HWND list = GetDlgItem(dialog, kIdStatsList);
  std::lock_guard<std::recursive_mutex> guard(stats.lock);
  if (stats.count == 0) {
    AddLine(list, "No TPs achieved");
    return;
  }
  char line[128];
  std::snprintf(line, sizeof line, "%s %d:%02d", PointName(stats.records[0].point), stats.startTime.wHour,
                stats.startTime.wMinute);
  AddLine(list, line);
  for (std::int32_t i = 1; i < stats.count && i < kStatsRecords; ++i) {
    std::snprintf(line, sizeof line, "%s %.2f %s", PointName(stats.records[i].point),
                  DisplaySpeed(stats.records[i].legSpeed), DisplaySpeedUnit());
    AddLine(list, line);
  }
  char total[40];
  FormatTotalSpeed(stats, total);
  std::snprintf(line, sizeof line, "Total: %s", total);
  AddLine(list, line);
}

}  // namespace

INT_PTR StatsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  AppContext* app = AppRecord();
  switch (message) {
    case WM_INITDIALOG:
      if (app) FillList(dialog, app->stats);
      SetFocus(dialog);  // the hardware keys come to the dialog
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK:
        case IDCANCEL:
        case kIdDialogClose:
          EndDialog(dialog, IDOK);
          return TRUE;
        case kIdStatsReset:
          if (app) ResetStatsRecord(app->stats);
          EndDialog(dialog, IDOK);
          return TRUE;
        case kIdStatsClearClimb:
          if (app) ClearClimbStats(app->stats);
          return TRUE;
        default: return FALSE;
      }
    case WM_KEYDOWN:
      return wparam >= 0xC1 && wparam <= 0xC4;  // the hardware keys do nothing here
    default: return FALSE;
  }
}

}  // namespace cumulor

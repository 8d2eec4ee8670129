#include "cumulor/data/dialogs/quick_task_dialog.h"

#include <cstring>
#include <string>

#include "cumulor/app/base/number_text.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/dialogs/area_dialog.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_edit.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/nav/geo/geodesy.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/text/format.h"

namespace cumulor {

namespace {

constexpr int kFirstPointButton = 1000;
constexpr int kPointButtons = 5;
constexpr int kFirstArrow = 1431;
constexpr int kDistance = 1129;
constexpr int kHelp = 1009;

TaskEditBuffer g_buffer;
std::int32_t g_offset = 0;  // the buffer index shown on the first button

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWithNoCase(const char* text, const std::string& prefix) {
  if (text == nullptr) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (text[i] == '\0' || Upper(text[i]) != Upper(prefix[i])) return false;
  return true;
}

bool EqualsNoCase(const char* text, const std::string& other) {
  return text != nullptr && std::strlen(text) == other.size() && StartsWithNoCase(text, other);
}

// The user waypoint a search text names: a number above 0 as the waypoint's number, then an exact
// code, then the first name or code starting with the text; 0 when none.
std::int32_t FindPoint(const std::string& text) {
  const UserWaypointTable& table = UserWaypoints();
  const std::int32_t count = table.records.Size() < table.names.Size() ? table.records.Size() : table.names.Size();
  const long number = std::strtol(text.c_str(), nullptr, 10);
  if (number > 0 && number < count) return static_cast<std::int32_t>(number);
  for (std::int32_t i = 1; i < count; ++i)
    if (EqualsNoCase(table.records[i].code, text)) return i;
  for (std::int32_t i = 1; i < count; ++i)
    if (StartsWithNoCase(table.names[i].text, text) || StartsWithNoCase(table.records[i].code, text)) return i;
  return 0;
}

double TotalDistance() {
  const DynArray<TaskPoint>& points = g_buffer.points;
  double total = 0;
  for (std::int32_t i = 1; i < points.Size(); ++i) {
    double leg = GeoDistanceEllipsoid(PointRefPosition(points[i - 1]), PointRefPosition(points[i]));
    const TaskRules& rules = Rules();
    if (i == 1 && (rules.rule[kRuleStart].type == kGateCylinder || rules.rule[kRuleStart].type == kGateTwoStarts))
      leg -= rules.rule[kRuleStart].width;
    if (i == points.Size() - 1 && rules.rule[kRuleFinish].type == kGateCylinder) leg -= rules.rule[kRuleFinish].width;
    if (leg < 0) leg = 0;
    total += leg;
  }
  return total;
}

void Refresh(HWND dialog) {
  const std::int32_t count = g_buffer.points.Size();
  for (int k = 0; k < kPointButtons; ++k) {
    const std::int32_t index = g_offset + k;
    HWND button = GetDlgItem(dialog, kFirstPointButton + k);
    HWND arrow = GetDlgItem(dialog, kFirstArrow + k);
    if (index < count) {
      const TaskPoint& p = g_buffer.points[index];
      const PointRef ref{p.kind, p.index};
      const char* code = PointCodeText(ref);
      const char* name = PointRefName(ref);
      SetWindowTextW(button, ce::text::Format(u"%hs:%hs%hs", code != nullptr ? code : "", name != nullptr ? name : "",
                                             p.maxRadius > 0 ? " (Area)" : "")
                                 .c_str());
    } else {
      SetWindowTextW(button, u"");
    }
    ShowWindow(button, index <= count ? SW_SHOW : SW_HIDE);
    SetWindowTextW(arrow, index == g_buffer.split ? u">>" : u"");
    ShowWindow(arrow, index <= count ? SW_SHOW : SW_HIDE);
  }
  const std::u16string distance = count > 1 ? std::u16string(FormatDistance(TotalDistance(), 1)) : std::u16string();
  SetDlgItemTextW(dialog, kDistance, distance.c_str());
}

void OnInit(HWND dialog) {
  BuildTaskEditBuffer(g_buffer);
  // The first point not yet achieved is on a button.
  g_offset = g_buffer.split > kPointButtons - 1 ? g_buffer.split - (kPointButtons - 1) : 0;
  Refresh(dialog);
  if (HWND first = GetDlgItem(dialog, kFirstPointButton + (g_buffer.split - g_offset))) SetFocus(first);
}

void OnPointButton(HWND dialog, std::int32_t index) {
  WCHAR entry[kPadChars + 1] = {};
  if (!EnterTextDialog(entry, u"Waypoint ID or NAME:", dialog) || entry[0] == 0) return;
  std::string text;
  for (const WCHAR* p = entry; *p != 0; ++p) text += static_cast<char>(*p < 0x100 ? *p : '?');
  DynArray<TaskPoint>& points = g_buffer.points;
  const bool existing = index < points.Size();
  if (text == "0") {
    if (!existing) return;
    points.RemoveAt(index);
    if (index == g_buffer.split && g_buffer.split > 0) --g_buffer.split;
    g_buffer.changed = true;
    return;
  }
  if (text == ".") {
    if (!existing) return;
    EditTaskPointAreaPosition(points[index], dialog);
    g_buffer.changed = true;
    return;
  }
  const bool insert = text[0] == '*';
  if (insert) text.erase(0, 1);
  const std::int32_t found = text.empty() ? 0 : FindPoint(text);
  if (found == 0) {
    PlaySoundAsync(u"Splat.wav");
    return;
  }
  TaskPoint point;
  point.kind = kPointUserWaypoint;
  point.index = found;
  const GeoPoint at = UserWaypoints().records[found].position;
  point.lon = at.lon;
  point.lat = at.lat;
  if (!existing) {
    points.Append(point);
  } else if (insert) {
    points.InsertAt(index, point);
  } else {
    points[index] = point;
  }
  g_buffer.changed = true;
}

}  // namespace

INT_PTR QuickTaskDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: OnInit(dialog); return FALSE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id >= kFirstPointButton && id < kFirstPointButton + kPointButtons) {
        const std::int32_t index = g_offset + (id - kFirstPointButton);
        if (index > g_buffer.points.Size()) return TRUE;
        OnPointButton(dialog, index);
        Refresh(dialog);
        return TRUE;
      }
      if (id >= kFirstArrow && id < kFirstArrow + kPointButtons) {
        const std::int32_t index = g_offset + (id - kFirstArrow);
        if (index <= g_buffer.points.Size()) {
          g_buffer.split = index;
          g_buffer.changed = true;
        }
        Refresh(dialog);
        return TRUE;
      }
      switch (id) {
        case kHelp:
          MessageBoxOk(u"Enter ID or NAME of tp\n'0' to DELETE tp\n*ID or *NAME to INSERT tp\n. to define AREA\nPress \u00bb to resume task from that tp");
          return TRUE;
        case IDOK:
        case 1355:
          ApplyTaskEditBuffer(g_buffer);
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
        case 193: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
      }
    }
    case WM_KEYDOWN: return EndDialogOnAppKey(dialog, wparam, 1);
    default: return FALSE;
  }
}

}  // namespace cumulor

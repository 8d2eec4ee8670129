#include "cumulor/nav/dialogs/recorder_dialogs.h"

#include <atomic>
#include <cctype>
#include <cstring>
#include <string>

#include "cumulor/app/app_context.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/nav/filser/lx_link.h"
#include "cumulor/nav/recorder/logger_session.h"
#include "cumulor/nav/recorder/recorder_hooks.h"
#include "cumulor/nav/volkslogger/vl_link.h"
#include "platform/controls/commctrl.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/dialogs/message_box.h"
#include "platform/files/files.h"
#include "platform/kernel/sync.h"
#include "platform/text/format.h"
#include "platform/time/time.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr std::uint8_t kCmdErase = 6, kCmdEndSession = 12;
constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kCloseDelayMs = 2000;

void Show(HWND dialog, int id, bool shown) { ShowWindow(GetDlgItem(dialog, id), shown ? SW_SHOW : SW_HIDE); }

std::u16string Widen(const char* text) {
  std::u16string out;
  for (; text && *text; ++text) out += static_cast<char16_t>(static_cast<unsigned char>(*text));
  return out;
}

// The field's text as 8-bit characters (at most `size` of them, terminated), upper-cased when
// asked.
void ReadField(HWND dialog, int id, char* out, int size, bool upper = true) {
  WCHAR text[80] = {};
  GetDlgItemTextW(dialog, id, text, 80);
  int n = 0;
  for (; n < size && text[n]; ++n) {
    const WCHAR c = text[n];
    out[n] = static_cast<char>(c >= 0x80 ? '?' : upper ? std::toupper(static_cast<int>(c)) : static_cast<int>(c));
  }
  out[n] = '\0';
}

// The dialogs' side of the worker's reports: sends to the dialog's windows from the worker's
// thread. The objects outlive the dialogs; a dialog that is gone ignores what is sent.
class DialogView : public LoggerView {
 public:
  void Attach(HWND dialog) { dialog_ = dialog; }
  HWND dialog() const { return dialog_; }
  void Status(std::int32_t position, std::int32_t total, const WCHAR* text) override {
    HWND dialog = dialog_;
    if (!dialog) return;
    if (text) SetDlgItemTextW(dialog, kIdRecorderStatus, text);
    if (total != 0)
      SendDlgItemMessageW(dialog, kIdRecorderProgress, PBM_SETPOS, static_cast<WPARAM>(position * 100 / total), 0);
  }

 protected:
  std::atomic<HWND> dialog_{nullptr};
};

class DownloadView : public DialogView {
 public:
  std::atomic<bool> cardPresent{false};
  void DirectoryRead(const FlightDirectory& directory) override {
    HWND dialog = dialog_;
    if (!dialog) return;
    HWND list = GetDlgItem(dialog, kIdFlightList);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    int row = 0;
    for (std::int32_t i = 0; i < directory.count; ++i) {
      const FlightDirEntry& entry = directory.entries[i];
      if (!entry.takeoff) continue;
      const std::u16string date = ce::text::Format(u"%02d-%02d-%02d", entry.start.day, entry.start.month + 1,
                                                   entry.start.year % 100);
      const std::u16string hours = ce::text::Format(u"%d:%02d", entry.duration / 3600, entry.duration / 60 % 60);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = row;
      item.pszText = const_cast<WCHAR*>(entry.igcName);
      SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      item.iSubItem = 1;
      item.pszText = const_cast<WCHAR*>(date.c_str());
      SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
      item.iSubItem = 2;
      item.pszText = const_cast<WCHAR*>(hours.c_str());
      SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
      ++row;
    }
    Show(dialog, kIdSecure, true);
    Show(dialog, kIdDownloadAll, true);
    Show(dialog, kIdCopyToCard, true);
    EnableWindow(GetDlgItem(dialog, kIdCopyToCard), cardPresent ? TRUE : FALSE);
    Show(dialog, kIdRecorderProgress, true);
  }
  void DirectoryFailed() override {
    if (HWND dialog = dialog_) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  }
  void FlightsDownloaded() override {
    HWND dialog = dialog_;
    if (!dialog) return;
    Show(dialog, kIdRecorderProgress, false);
    Show(dialog, kIdSecure, false);
    Show(dialog, kIdCopyToCard, false);
    Show(dialog, kIdDownloadAll, false);
    Show(dialog, kIdEraseLogger, true);
  }
};

class DeclarationView : public DialogView {
 public:
  std::atomic<bool> taskPresent{false};
  void DeclarationRead(const VlDeclaration& d) override {
    HWND dialog = dialog_;
    if (!dialog) return;
    const struct {
      int id;
      const char* text;
    } fields[] = {{kIdDeclPilot, d.pilot},
                  {kIdDeclRegistration, d.registration},
                  {kIdDeclType, d.gliderType},
                  {kIdDeclClass, d.competitionClass},
                  {kIdDeclCompetitionId, d.competitionId}};
    for (const auto& field : fields) {
      EnableWindow(GetDlgItem(dialog, field.id), TRUE);
      SetDlgItemTextW(dialog, field.id, Widen(field.text).c_str());
    }
    HWND list = GetDlgItem(dialog, kIdDeclPoints);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    auto add = [list](const VlPoint& point) {
      const std::u16string name = Widen(point.name);
      SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    };
    add(d.start);
    const std::int32_t turnpoints = d.turnpointCount < kVlMaxTurnpoints ? d.turnpointCount : kVlMaxTurnpoints;
    for (std::int32_t i = 0; i < turnpoints; ++i) add(d.turnpoints[i]);
    add(d.finish);
    if (taskPresent) Show(dialog, kIdDeclTask, true);
    Show(dialog, IDOK, true);
  }
  void DeclarationSent() override {
    HWND dialog = dialog_;
    if (!dialog) return;
    Show(dialog, IDOK, false);
    SetDlgItemTextW(dialog, IDCANCEL, u"Exit");
  }
};

DownloadView& TheDownloadView() {
  static DownloadView view;
  return view;
}

DeclarationView& TheDeclarationView() {
  static DeclarationView view;
  return view;
}

bool FolderExists(const WCHAR* folder) {
  if (!folder[0]) return false;
  const DWORD attributes = GetFileAttributesW(folder);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The dialog ends: the worker is told to stop (the command that opened the dialog frees the
// buffers once the worker has left).
void EndExchange(HWND dialog, LoggerSession& session, DialogView& view, bool endRecorderSession) {
  if (endRecorderSession) LoggerCommandWhileIdle(session, kCmdEndSession);
  session.run = 0;
  if (session.events[kEventStop]) SetEvent(session.events[kEventStop]);
  view.Attach(nullptr);
  session.view = nullptr;
  EndDialog(dialog, IDCANCEL);
}

void InsertColumn(HWND list, int index, const WCHAR* title, int characters) {
  RECT width{0, 0, 4 * characters, 8};
  MapDialogRect(GetParent(list), &width);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.cx = width.right - width.left;
  column.pszText = const_cast<WCHAR*>(title);
  column.iSubItem = index;
  SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

void InitDownload(HWND dialog, AppContext& app) {
  LoggerSession& session = app.loggerSession;
  DownloadView& view = TheDownloadView();
  SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  CheckDlgButton(dialog, kIdSecure, session.secondForm ? BST_CHECKED : BST_UNCHECKED);
  const bool card = FolderExists(session.cardFolder);
  view.cardPresent = card;
  CheckDlgButton(dialog, kIdCopyToCard, card ? BST_CHECKED : BST_UNCHECKED);
  EnableWindow(GetDlgItem(dialog, kIdCopyToCard), card ? TRUE : FALSE);
  session.copyToCard = card ? 1 : 0;
  // The command allocated the directory and the flight buffer before the exchange was requested.
  if (!session.directory || !session.flight) {
    EndDialog(dialog, 0);
    return;
  }
  HWND list = GetDlgItem(dialog, kIdFlightList);
  InsertColumn(list, 0, u"File", 19);
  InsertColumn(list, 1, u"Date", 13);
  InsertColumn(list, 2, u"Hrs", 8);
  for (int id : {kIdDownloadAll, kIdEraseLogger, kIdRecorderProgress, kIdSecure, kIdCopyToCard}) Show(dialog, id, false);
  view.Attach(dialog);
  session.view = &view;
  session.run = 1;
  SetEvent(session.events[kEventReadDirectory]);
}

// The Volkslogger declaration's task from the active task.
void FillDeclarationTask(HWND dialog, LoggerSession& session) {
  HWND list = GetDlgItem(dialog, kIdDeclPoints);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  DynArray<TaskPoint>& task = ActiveTask();
  const std::int32_t count = task.Size();
  if (count == 0 || !session.declaration) {
    Show(dialog, kIdDeclTask, false);
    return;
  }
  std::string names[kVlMaxTurnpoints + 2];
  VlTaskPoint points[kVlMaxTurnpoints + 2];
  const std::int32_t used = count < kVlMaxTurnpoints + 2 ? count : kVlMaxTurnpoints + 2;
  for (std::int32_t i = 0; i < used; ++i) {
    // The last task point is the finish whatever the count.
    const TaskPoint& point = task[i == used - 1 ? count - 1 : i];
    const char* name = PointRefName(PointRef{point.kind, point.index});
    names[i] = std::string(name ? name : "").substr(0, 6);
    for (char& c : names[i]) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const GeoPoint position = PointRefPosition(point);
    points[i] = {names[i].c_str(), position.lat / 36000.0, position.lon / 36000.0};
    const std::u16string wide = Widen(names[i].c_str());
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  }
  SetDeclarationTask(*session.declaration, points, used, session.sectorKind, session.sectorRadius);
  Show(dialog, kIdDeclTask, false);
}

// ---- Filser/LX ----

void LxShowDeclaration(HWND dialog, const LxDeclaration& d) {
  SetDlgItemTextW(dialog, kIdDeclPilot, Widen(d.pilot).c_str());
  SetDlgItemTextW(dialog, kIdDeclType, Widen(d.gliderType).c_str());
  SetDlgItemTextW(dialog, kIdDeclRegistration, Widen(d.registration).c_str());
  SetDlgItemTextW(dialog, kIdDeclCompetitionId, Widen(d.competitionId).c_str());
  HWND list = GetDlgItem(dialog, kIdDeclPoints);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  int turnpoint = 0;
  for (const LxPoint& point : d.points) {
    if (point.type == 0) continue;
    std::u16string line;
    const std::u16string name = Widen(point.name);
    switch (point.type) {
      case 3: line = u"TOFF:" + name; break;
      case 1: line = ce::text::Format(u"TP%d:", ++turnpoint) + name; break;
      case 2: line = u"LDG:" + name; break;
      default: line = u"??:" + name; break;
    }
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
}

std::int32_t ToSixtyThousandths(std::int32_t units) {
  return static_cast<std::int32_t>(static_cast<std::int64_t>(units) * 5 / 3);
}

LxPoint LxPointOf(const TaskPoint& point, std::uint8_t type) {
  LxPoint out;
  out.type = type;
  const char* name = PointRefName(PointRef{point.kind, point.index});
  std::strncpy(out.name, name ? name : "", lx::kNameSize - 1);
  const GeoPoint position = PointRefPosition(point);
  out.latitude = ToSixtyThousandths(position.lat);
  out.longitude = ToSixtyThousandths(position.lon);
  return out;
}

// Takeoff (the selected point; while there is no selection, the task's first point), the task's
// points as turnpoints, the landing as a copy of the takeoff: at most 10 points.
void LxFillTask(HWND dialog, AppContext& app) {
  DynArray<TaskPoint>& task = ActiveTask();
  LxDeclaration d = LxDecodeDeclaration(app.loggerSession.lxBlock);
  for (LxPoint& point : d.points) point = LxPoint{};
  if (task.Size() > 0) {
    const TaskPoint& selected =
        PointRefIsValid(PointRef{app.navTarget.kind, app.navTarget.index}) ? app.navTarget : task[0];
    int at = 0;
    d.points[at++] = LxPointOf(selected, 3);
    for (std::int32_t i = 0; i < task.Size() && at < kLxPoints - 1; ++i) d.points[at++] = LxPointOf(task[i], 1);
    d.points[at] = d.points[0];
    d.points[at].type = 2;
  }
  SYSTEMTIME now{};
  GetLocalTime(&now);
  d.date[0] = static_cast<std::uint8_t>(now.wDay);
  d.date[1] = static_cast<std::uint8_t>(now.wMonth);
  d.date[2] = static_cast<std::uint8_t>(now.wYear - 2000);
  LxEncodeDeclaration(d, app.loggerSession.lxBlock);
  LxShowDeclaration(dialog, d);
}

void LxRequest(AppContext& app, std::int32_t command) { app.gps.deviceCommand = command; }

}  // namespace

INT_PTR VlDownloadDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  AppContext* app = AppRecord();
  if (!app) return FALSE;
  LoggerSession& session = app->loggerSession;
  if (message == WM_INITDIALOG) {
    InitDownload(dialog, *app);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wparam)) {
    case kIdDownloadAll: SetEvent(session.events[kEventDownloadAll]); return TRUE;
    case kIdEraseLogger:
      if (MessageBoxW(dialog, u"Erase ALL Logger FIles?", u"Cumulor", MB_YESNO | MB_DEFBUTTON2) == IDYES) {
        LoggerCommandWhileIdle(session, kCmdErase);
        SendDlgItemMessageW(dialog, kIdFlightList, LVM_DELETEALLITEMS, 0, 0);
        Show(dialog, kIdEraseLogger, false);
      }
      return TRUE;
    case kIdSecure: session.secondForm = IsDlgButtonChecked(dialog, kIdSecure) == BST_CHECKED ? 1 : 0; return TRUE;
    case kIdCopyToCard:
      session.copyToCard = IsDlgButtonChecked(dialog, kIdCopyToCard) == BST_CHECKED ? 1 : 0;
      return TRUE;
    case IDCANCEL: EndExchange(dialog, session, TheDownloadView(), true); return TRUE;
    default: return FALSE;
  }
}

INT_PTR VlDeclarationDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  AppContext* app = AppRecord();
  if (!app) return FALSE;
  LoggerSession& session = app->loggerSession;
  DeclarationView& view = TheDeclarationView();
  if (message == WM_INITDIALOG) {
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    CheckDlgButton(dialog, kIdDeclCheck, BST_CHECKED);
    const bool task = ActiveTask().Size() > 0;
    view.taskPresent = task;
    SetDlgItemTextW(dialog, kIdDeclTask, task ? u"<-> 00" : u"<-->");
    Show(dialog, kIdDeclTask, false);
    Show(dialog, IDOK, false);
    for (int id : {kIdDeclPilot, kIdDeclRegistration, kIdDeclType, kIdDeclClass, kIdDeclCompetitionId})
      EnableWindow(GetDlgItem(dialog, id), FALSE);
    view.Attach(dialog);
    session.view = &view;
    session.run = 1;
    SetEvent(session.events[kEventReadDeclaration]);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wparam)) {
    case kIdDeclTask: FillDeclarationTask(dialog, session); return TRUE;
    case IDOK: {
      if (!session.declaration) return TRUE;
      VlDeclaration& d = *session.declaration;
      ReadField(dialog, kIdDeclPilot, d.pilot, 64);
      ReadField(dialog, kIdDeclRegistration, d.registration, 7);
      ReadField(dialog, kIdDeclType, d.gliderType, 12);
      ReadField(dialog, kIdDeclClass, d.competitionClass, 12);
      ReadField(dialog, kIdDeclCompetitionId, d.competitionId, 3);
      SetEvent(session.events[kEventSendDeclaration]);
      return TRUE;
    }
    case IDCANCEL: EndExchange(dialog, session, view, false); return TRUE;
    default: return FALSE;
  }
}

INT_PTR LxRecorderDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  AppContext* app = AppRecord();
  if (!app) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      app->gps.commandWindow = dialog;
      if (lparam != 1) {
        SetDlgItemTextW(dialog, kIdRecorderStatus, u"Connecting...");
        LxRequest(*app, 1);
      }
      return TRUE;
    case WM_USER: {
      const int parameter = static_cast<int>(lparam);
      switch (static_cast<int>(wparam)) {
        case lxcode::kHandshakeRetry:
          SetDlgItemTextW(dialog, kIdRecorderStatus, ce::text::Format(u"Connection attempt %d", parameter).c_str());
          break;
        case lxcode::kReadAttempt:
          SetDlgItemTextW(dialog, kIdRecorderStatus, ce::text::Format(u"Read attempt %d", parameter).c_str());
          break;
        case lxcode::kWriteAttempt:
          SetDlgItemTextW(dialog, kIdRecorderStatus, ce::text::Format(u"Write attempt %d", parameter).c_str());
          break;
        case lxcode::kReadDone:
          LxShowDeclaration(dialog, LxDecodeDeclaration(app->loggerSession.lxBlock));
          SetDlgItemTextW(dialog, kIdRecorderStatus, u"Ready");
          break;
        case lxcode::kWriteDone: SetDlgItemTextW(dialog, kIdRecorderStatus, u"Declaration sent OK"); break;
        case lxcode::kError:
          if (parameter == lxcode::kNoAnswer || parameter == lxcode::kPortBusy) {
            SetDlgItemTextW(dialog, kIdRecorderStatus,
                            parameter == lxcode::kNoAnswer ? u"Logger NOT found" : u"No COM Port-RESET your iPAQ");
            SetTimer(dialog, kCloseTimer, kCloseDelayMs, nullptr);
          } else if (parameter == lxcode::kTransferFailed) {
            SetDlgItemTextW(dialog, kIdRecorderStatus, u"Connection Error");
          }
          break;
        default: break;
      }
      return TRUE;
    }
    case WM_TIMER:
      if (wparam != kCloseTimer) return FALSE;
      KillTimer(dialog, kCloseTimer);
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case kIdDownloadAll: LxRequest(*app, 3); return TRUE;
        case kIdDeclTask: LxFillTask(dialog, *app); return TRUE;
        case IDOK: {
          LxDeclaration d = LxDecodeDeclaration(app->loggerSession.lxBlock);
          ReadField(dialog, kIdDeclPilot, d.pilot, lx::kPilotSize - 1, false);
          ReadField(dialog, kIdDeclType, d.gliderType, lx::kGliderTypeSize - 1, false);
          ReadField(dialog, kIdDeclRegistration, d.registration, lx::kRegistrationSize - 1, false);
          ReadField(dialog, kIdDeclCompetitionId, d.competitionId, lx::kCompetitionIdSize - 1, false);
          LxEncodeDeclaration(d, app->loggerSession.lxBlock);
          LxRequest(*app, 2);
          return TRUE;
        }
        case IDCANCEL:
          KillTimer(dialog, kCloseTimer);
          app->gps.commandWindow = nullptr;
          LxRequest(*app, 0);
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

}  // namespace cumulor

// "Cumulor Logger": the IGC declaration, the logging switches, the time zone and the logging
// interval, and the requests to show or replay a recorded flight.
#include "cumulor/app/app_context.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/nav/dialogs/replay_dialogs.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/text/format.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr UINT kMsgOptimize = WM_USER + 50;
constexpr std::int32_t kFixRates[] = {1, 2, 3, 4, 5, 7, 10, 15, 20, 30};

struct Field {
  int id;
  char* text;
  int size;  // characters kept, NUL excluded
};

int Fields(AppContext& app, Field* out) {
  IgcDeclaration& d = app.declaration;
  out[0] = {kIdLoggerPilot, d.pilot, 64};
  out[1] = {kIdLoggerPilot + 1, d.registration, 7};
  out[2] = {kIdLoggerPilot + 2, d.gliderType, 12};
  out[3] = {kIdLoggerPilot + 3, d.competitionClass, 12};
  out[4] = {kIdLoggerPilot + 4, d.competitionId, 3};
  return 5;
}

void Init(HWND dialog, AppContext& app) {
  Field fields[5];
  for (int i = 0, n = Fields(app, fields); i < n; ++i) {
    WCHAR wide[72];
    int k = 0;
    for (; k < fields[i].size && fields[i].text[k] != '\0'; ++k) wide[k] = static_cast<unsigned char>(fields[i].text[k]);
    wide[k] = 0;
    SetDlgItemTextW(dialog, fields[i].id, wide);
  }
  CheckDlgButton(dialog, kIdLoggerRecord, app.igcLogging ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, kIdLoggerSecurity, app.olcSecurity ? BST_CHECKED : BST_UNCHECKED);
  for (int zone = -11; zone <= 11; ++zone) {
    WCHAR text[8];
    ce::text::CopyOut(text, 8, ce::text::Format(u"%s%d", zone >= 0 ? u"+" : u"", zone));
    SendDlgItemMessageW(dialog, kIdLoggerTimeZone, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  const std::int32_t zone = app.timeZone < -11 ? -11 : app.timeZone > 11 ? 11 : app.timeZone;
  SendDlgItemMessageW(dialog, kIdLoggerTimeZone, CB_SETCURSEL, static_cast<WPARAM>(zone + 11), 0);
  for (std::int32_t rate : kFixRates) {
    WCHAR text[8];
    ce::text::CopyOut(text, 8, ce::text::Format(u"%ds", rate));
    const LRESULT at = SendDlgItemMessageW(dialog, kIdLoggerFixRate, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendDlgItemMessageW(dialog, kIdLoggerFixRate, CB_SETITEMDATA, static_cast<WPARAM>(at), rate);
  }
  WCHAR current[8];
  ce::text::CopyOut(current, 8, ce::text::Format(u"%ds", app.fixRate.load()));
  const LRESULT found = SendDlgItemMessageW(dialog, kIdLoggerFixRate, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                            reinterpret_cast<LPARAM>(current));
  if (found >= 0) SendDlgItemMessageW(dialog, kIdLoggerFixRate, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
}

void Store(HWND dialog, AppContext& app) {
  Field fields[5];
  for (int i = 0, n = Fields(app, fields); i < n; ++i) {
    WCHAR wide[72] = {};
    GetDlgItemTextW(dialog, fields[i].id, wide, fields[i].size + 1);
    int k = 0;
    for (; k < fields[i].size && wide[k] != 0; ++k) fields[i].text[k] = static_cast<char>(wide[k]);
    fields[i].text[k] = '\0';
  }
  app.igcLogging = IsDlgButtonChecked(dialog, kIdLoggerRecord) == BST_CHECKED ? 1 : 0;
  const std::int32_t security = IsDlgButtonChecked(dialog, kIdLoggerSecurity) == BST_CHECKED ? 1 : 0;
  const bool switchedOn = security && !app.olcSecurity;
  app.olcSecurity = security;
  // The setting takes effect with the next log.
  if (switchedOn) MessageBoxOk(u"Please RESTART Cumulor now to create a Secure IGC Log File");
}

}  // namespace

INT_PTR LoggerDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  AppContext* app = AppRecord();
  switch (message) {
    case WM_INITDIALOG:
      SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      if (app) Init(dialog, *app);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == kIdLoggerTimeZone && HIWORD(wparam) == CBN_SELCHANGE) {
        const LRESULT selected = SendDlgItemMessageW(dialog, kIdLoggerTimeZone, CB_GETCURSEL, 0, 0);
        if (app && selected >= 0 && selected <= 22) app->timeZone = static_cast<std::int32_t>(selected) - 11;
        return TRUE;
      }
      if (id == kIdLoggerFixRate && HIWORD(wparam) == CBN_SELCHANGE) {
        const LRESULT selected = SendDlgItemMessageW(dialog, kIdLoggerFixRate, CB_GETCURSEL, 0, 0);
        const LRESULT rate = selected >= 0 ? SendDlgItemMessageW(dialog, kIdLoggerFixRate, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0) : 0;
        if (app && rate >= 1 && rate <= 30) app->fixRate = static_cast<std::int32_t>(rate);
        return TRUE;
      }
      if (id == kIdLoggerShow || id == kIdLoggerPlayback) {
        PlayMenuClick();
        EndDialog(dialog, id);
        if (app && app->mainWindow) PostMessageW(app->mainWindow, kMsgOptimize, static_cast<WPARAM>(id), 0);
        return TRUE;
      }
      if (id == IDOK || id == kIdCloseIcon) {
        PlayMenuClick();
        if (app) Store(dialog, *app);
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (id == IDCANCEL) {
        PlayMenuClick();
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    }
    case WM_KEYDOWN:
      if (IsAppKey(wparam)) {
        if (app) Store(dialog, *app);
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace cumulor

#include "cumulor/app/core/aviation_reload.h"

#include "cumulor/app/core/message_pump.h"
#include "cumulor/app/core/status_line.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/aero/aero_reload.h"
#include "cumulor/data/aero/point_tables.h"
#include "platform/dialogs/message_box.h"

namespace cumulor {

void OnReloadAviationData(AppContext& app, LPARAM) {
  AeroUi ui;
  AppContext* record = &app;
  ui.status = [record](const std::u16string& text) { ShowStatusTextPlain(*record, text.c_str()); };
  ui.messageBox = [record](const std::u16string& text, const std::u16string& caption) {
    // The error box is owned by the main window with its caption; the version messages use the
    // program's own message box.
    if (!caption.empty()) MessageBoxW(record->mainWindow, text.c_str(), caption.c_str(), MB_OK);
    else MessageBoxOk(text.c_str());
  };
  ui.pumpWait = [record](DWORD ms) { PumpMessagesWait(record->abortEvent, ms); };
  app.dialogActive = 1;
  ReloadAviationData(AeroData(), AeroTiles(), ui);
  ResetPointDisplayFlags();
  app.dialogActive = 0;
}

}  // namespace cumulor

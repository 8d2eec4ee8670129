// The profiles page's action list: filled from the actions of the current time frame (stale
// records removed on the way), its cells coloured by whether the action runs today, and the popup
// that a tap on a cell opens to change, reschedule or delete that action. Also the page's handling
// of the lists' notifications.
#include <memory>
#include <optional>

#include "platform/controls/commctrl.h"
#include "platform/window/window.h"
#include "velomar/core/app/App.h"
#include "velomar/core/managers/SpeakerMgr.h"
#include "velomar/dialogs/DialogMessage.h"
#include "velomar/dialogs/DialogRing.h"
#include "velomar/dialogs/DialogSoundLevel.h"
#include "velomar/dialogs/DialogWeek.h"
#include "velomar/dialogs/ProfileActionMenus.h"
#include "velomar/dialogs/ProfileActionRows.h"
#include "velomar/dialogs/PropertyPageDialogProfiles.h"
#include "velomar/dialogs/ScreenMode.h"
#include "velomar/dialogs/ValueDialogs.h"
#include "velomar/places/DB.h"
#include "velomar/places/TableActions.h"
#include "velomar/ui/ButtonOwnDrawImage.h"
#include "velomar/ui/OptionDialog.h"
#include "velomar/ui/Translator.h"
#include "velomar/ui/WindowMain.h"

using namespace velomar::profiles;

namespace {

CTranslator* Tr() { return CTranslator::GetInstance(); }

CTableActions* Actions() {
  CDB* db = CDB::GetInstance();
  return db ? db->GetActionsTable() : nullptr;
}

// The stored action with that object id.
std::optional<CStrAction> LoadAction(CEOID id) {
  CTableActions* table = Actions();
  if (table == nullptr || id == 0) return std::nullopt;
  CStrAction action;
  action.SetId(id);
  if (!table->FindAndFill(action)) return std::nullopt;
  return action;
}

void SetCell(HWND list, int row, int column, const std::u16string& text) {
  std::u16string buffer = text;
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer.data();
  SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// The main window's button of a manager, whose pictures a status choice shows.
CButtonOwnDrawImage* ManagerButton(int kind) {
  CApp* app = CApp::GetApp();
  CWindowMain* main = app ? app->GetMainWindow() : nullptr;
  return main ? main->GetManagerButton(kind) : nullptr;
}

// The answer of a custom-draw notification, handed back through the dialog's result.
INT_PTR Answer(HWND page, LRESULT value) {
  SetWindowLongPtrW(page, DWL_MSGRESULT, value);
  return TRUE;
}

}  // namespace

void CPropertyPageDialogProfiles::RefreshActionList() {
  HWND list = Item(kActionList);
  if (list) SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  m_startRows.clear();
  m_endRows.clear();
  for (auto& row : m_actionCellIds) row[0] = row[1] = 0;
  CTableActions* table = Actions();
  if (table == nullptr || m_timeFrame.GetKey() == -1) return;
  std::vector<CStrAction> actions;
  table->GetActionsOfPeriod(actions, m_timeFrame.GetKey());
  const ActionRows built = BuildActionRows(actions);
  for (const CStrAction& stale : built.stale) {
    CStrAction doomed = stale;
    table->DeleteRecord(doomed);
  }
  for (std::size_t r = 0; r < built.rows.size(); ++r) {
    const ActionRow& row = built.rows[r];
    const int at = static_cast<int>(r);
    if (list) {
      std::u16string name = row.name;
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = at;
      item.pszText = name.data();
      SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      for (int trigger = 0; trigger < 2; ++trigger)
        if (row.ids[trigger] != 0) SetCell(list, at, trigger + 1, row.cells[trigger]);
    }
    for (int trigger = 0; trigger < 2; ++trigger) m_actionCellIds[r][trigger] = row.ids[trigger];
  }
  m_startRows = built.rowOfKind[0];
  m_endRows = built.rowOfKind[1];
}

INT_PTR CPropertyPageDialogProfiles::OnNotifyChild(HWND hwnd, UINT, WPARAM, LPARAM lparam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lparam);
  if (header == nullptr) return FALSE;
  if (header->idFrom == static_cast<UINT_PTR>(kActionList)) {
    if (header->code == NM_CUSTOMDRAW) {
      auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lparam);
      const DWORD stage = draw->nmcd.dwDrawStage;
      if (stage == CDDS_PREPAINT || stage == CDDS_ITEMPREPAINT) return Answer(hwnd, CDRF_NOTIFYSUBITEMDRAW);
      if (stage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
        const int row = static_cast<int>(draw->nmcd.dwItemSpec);
        CellColors colors{0x000000, 0xFFFFFF};
        if (draw->iSubItem == 0) {
          colors = NameCellColors(row);
        } else if (draw->iSubItem <= 2 && row >= 0 && row < kRows) {
          const std::optional<CStrAction> action = LoadAction(m_actionCellIds[row][draw->iSubItem - 1]);
          colors = ActionCellColors(action ? &*action : nullptr);
        }
        draw->clrText = colors.text;
        draw->clrTextBk = colors.back;
        return Answer(hwnd, CDRF_NEWFONT);
      }
      return Answer(hwnd, CDRF_DODEFAULT);
    }
    if (header->code == NM_CLICK) {
      const auto* tap = reinterpret_cast<const NMITEMACTIVATE*>(lparam);
      if (tap->iItem != -1 && tap->iItem < kRows && (tap->iSubItem == 1 || tap->iSubItem == 2))
        EditAction(m_actionCellIds[tap->iItem][tap->iSubItem - 1]);
      return FALSE;
    }
    return FALSE;
  }
  if (header->idFrom == static_cast<UINT_PTR>(kTimeFrameList)) {
    if (header->code == LVN_ITEMCHANGED) {
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(lparam);
      if ((change->uChanged & LVIF_STATE) && change->uNewState == (LVIS_SELECTED | LVIS_FOCUSED)) {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = change->iItem;
        if (SendMessageW(header->hwndFrom, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
          SelectTimeFrame(static_cast<int>(item.lParam));
      }
      return FALSE;
    }
    if (header->code == NM_CUSTOMDRAW) {
      auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lparam);
      const DWORD stage = draw->nmcd.dwDrawStage;
      if (stage == CDDS_PREPAINT || stage == CDDS_ITEMPREPAINT) return Answer(hwnd, CDRF_NOTIFYSUBITEMDRAW);
      if (stage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = static_cast<int>(draw->nmcd.dwItemSpec);
        SendMessageW(header->hwndFrom, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        draw->clrText = 0x000000;
        draw->clrTextBk = GetTimeFrameColor(static_cast<int>(item.lParam));
        return Answer(hwnd, CDRF_NEWFONT);
      }
      return Answer(hwnd, CDRF_DODEFAULT);
    }
  }
  return FALSE;
}

void CPropertyPageDialogProfiles::EditAction(CEOID id) {
  std::optional<CStrAction> found = LoadAction(id);
  if (!found) return;
  CStrAction action = *found;
  CApp* app = CApp::GetApp();
  HINSTANCE instance = app ? app->GetInstanceHandle() : nullptr;
  CWindowMain* main = app ? app->GetMainWindow() : nullptr;
  int choice = kOptionCancel;
  {
    // The page is the popup's parent: the popup disables it while shown and enables it again.
    auto popup = std::make_unique<COptionDialog>(Tr()->GetText(u"SELECT OPTION"), 0, 0, 0, 0, m_hwnd,
                                                 static_cast<CBaseWindow*>(main));
    for (const PopupChoice& c : ActionPopupChoices(action.GetKind())) {
      const std::u16string caption = c.literal ? std::u16string(c.caption) : Tr()->GetText(c.caption);
      auto* button = new CButtonOwnDrawText(popup.get(), 60, 65, instance, nullptr, caption.c_str(), c.command, 1, true, 8);
      button->SetThemeId(c.theme);
      button->GetConfigFromXML();
      if (c.status)
        if (CButtonOwnDrawImage* source = ManagerButton(action.GetKind())) {
          button->SetImageSource(source);
          button->SetStatusValue(c.command);
        }
      popup->AddOption(button);
    }
    EnableWindow(m_hwnd, FALSE);
    popup->Create(instance, 0, 0);
    choice = popup->ShowModal();
  }
  // Enabled again whatever happened to the popup.
  EnableWindow(m_hwnd, TRUE);
  if (choice == kOptionCancel) return;
  m_changed = 1;
  CTableActions* table = Actions();
  if (table == nullptr) return;
  switch (choice) {
    case kPopupDelete: table->DeleteRecord(action); break;
    case kPopupDays: {
      CDialogWeek week(m_hwnd, 160, action.GetIntOp2());
      if (week.DoModal() == 1) {
        action.SetIntOp2(week.m_dayMask);
        table->Update(action);
      }
      break;
    }
    case kPopupEdit: {
      const int kind = action.GetKind();
      if (kind == 13 || kind == 14) {
        CDialogMessage dialog(m_hwnd, velomar::dialogs::TemplateForScreen(157, 158, 159), kind == 14 ? 1 : 0);
        dialog.m_recipient = action.GetSzOp1();
        dialog.m_subject = action.GetSzOp2();
        dialog.m_text = action.GetSzOp3();
        if (dialog.DoModal() == 1) {
          action.SetSzOp1(dialog.m_recipient);
          action.SetSzOp2(dialog.m_subject);
          action.SetSzOp3(dialog.m_text);
          table->Update(action);
        }
      } else if (kind == 52) {
        const auto value = static_cast<unsigned>(action.GetIntOp1());
        CDialogBacklight dialog(m_hwnd, 163);
        dialog.m_externalLevel = static_cast<int>(value >> 16);
        dialog.m_batteryLevel = static_cast<int>(value & 0xFFFFu);
        const INT_PTR result = dialog.DoModal();
        if (result != 2 && result != -1) {
          const auto packed = (static_cast<unsigned>(dialog.m_batteryLevel) & 0xFFFFu) |
                              ((static_cast<unsigned>(dialog.m_externalLevel) & 0xFFFFu) << 16);
          action.SetIntOp1(static_cast<int>(packed));
          table->Update(action);
        }
      } else if (kind == 16) {
        CDialogRing dialog(m_hwnd, 165);
        dialog.m_tonePath = action.GetSzOp1();
        dialog.SetRingScript(action.GetSzOp2());
        dialog.m_volume = action.GetIntOp1();
        const INT_PTR result = dialog.DoModal();
        if (result != 2 && result != -1) {
          action.SetSzOp1(dialog.m_tonePath);
          action.SetSzOp2(dialog.m_ringScript);
          action.SetSzOp3(dialog.m_toneName);
          action.SetIntOp1(dialog.m_volume);
          table->Update(action);
        }
      }
      break;
    }
    default: {
      // A status value of the action's manager.
      if (action.GetKind() == 2 && choice == 2) {
        CDialogSoundLevel dialog(m_hwnd, 162);
        action.SetIntOp3(dialog.DoModal() == 1 ? dialog.m_level : 5);
      }
      action.SetIntOp1(choice);
      table->Update(action);
      break;
    }
  }
  RefreshActionList();
}

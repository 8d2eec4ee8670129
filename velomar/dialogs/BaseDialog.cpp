#include "velomar/dialogs/BaseDialog.h"

#include <map>
#include <mutex>

#include "platform/base/errors.h"
#include "platform/dialogs/aygshell.h"
#include "platform/dialogs/message_box.h"
#include "platform/resources/resources.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Exceptions.h"
#include "velomar/core/Trace.h"
#include "velomar/core/app/App.h"
#include "velomar/ui/SoftKeys.h"
#include "velomar/ui/Translator.h"

namespace {

// Dialog window -> its object, for every running dialog of the program.
std::mutex& MapLock() {
  static std::mutex lock;
  return lock;
}
std::map<HWND, CBaseDialog*>& DialogMap() {
  static std::map<HWND, CBaseDialog*> map;
  return map;
}

}  // namespace

CBaseDialog::CBaseDialog(UINT template_id, HWND parent, DLGPROC procedure, UINT softkey_bar_id)
    : m_templateId(template_id),
      m_softkeyBarId(softkey_bar_id),
      m_parent(parent),
      m_procedure(procedure ? procedure : &CBaseDialog::DialogProc) {}

INT_PTR CBaseDialog::DoModal() {
  Trace(0, u"CBaseDialog::DoModal");
  HINSTANCE instance = CApp::GetAppInstance();
  INT_PTR result = -1;
  if (m_templateId != 0) {
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(m_templateId), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const auto* dialog_template = loaded ? static_cast<LPCDLGTEMPLATEW>(LockResource(loaded)) : nullptr;
    if (dialog_template)
      result = DialogBoxIndirectParamW(instance, dialog_template, m_parent, m_procedure, reinterpret_cast<LPARAM>(this));
  }
  if (m_dialog) {
    std::lock_guard<std::mutex> lock(MapLock());
    auto it = DialogMap().find(m_dialog);
    if (it != DialogMap().end() && it->second == this) DialogMap().erase(it);
  }
  if (result == -1) {
    ProcesarError(u"%s", CTranslator::GetInstance()->GetText(u"ERROR CREATING DIALOG").c_str());
    return -1;
  }
  return result;
}

CBaseDialog* CBaseDialog::FindDialog(HWND hwnd) {
  std::lock_guard<std::mutex> lock(MapLock());
  auto it = DialogMap().find(hwnd);
  return it == DialogMap().end() ? nullptr : it->second;
}

INT_PTR CBaseDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CBaseDialog*>(lparam);
    if (dialog == nullptr) return FALSE;
    {
      std::lock_guard<std::mutex> lock(MapLock());
      DialogMap()[hwnd] = dialog;
    }
    dialog->m_dialog = hwnd;
    SHINITDLGINFO info{};
    info.dwMask = SHIDIM_FLAGS;
    info.hDlg = hwnd;
    info.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN;
    SHInitDialog(&info);
    SHSipPreference(hwnd, SIP_UP);
    try {
      return dialog->OnInitDialog(hwnd, msg, wparam, lparam);
    } catch (CBaseException& e) {
      e.ShowError();
      return TRUE;
    }
  }
  CBaseDialog* dialog = FindDialog(hwnd);
  if (dialog == nullptr) return FALSE;
  // A handler's CBaseException (a table that could not be written, say) is shown in its error box
  // and the message answered FALSE; the dialog stays open.
  try {
    switch (msg) {
      case WM_PAINT: return dialog->OnPaint(hwnd, msg, wparam, lparam);
      case WM_NOTIFY: return dialog->OnNotify(hwnd, msg, wparam, lparam);
      case WM_COMMAND: return dialog->OnCommand(hwnd, msg, wparam, lparam);
      case WM_CTLCOLORSTATIC: return dialog->OnCtlColorStatic(hwnd, msg, wparam, lparam);
      default: return dialog->OnMessage(hwnd, msg, wparam, lparam);
    }
  } catch (CBaseException& e) {
    e.ShowError();
    return FALSE;
  }
}

INT_PTR CBaseDialog::OnInitDialog(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  Trace(0, u"CBaseDialog::OnInitDialog");
  if (m_softkeyBarId != 0) {
    HWND bar = nullptr;
    if (!velomar::ui::CreateSoftKeyBar(hwnd, m_softkeyBarId, CApp::GetAppInstance(), bar)) {
      const int shown = MessageBoxW(nullptr, u"Could not create soft key bar.", u"Error", 0);
      return shown == 0 ? static_cast<INT_PTR>(E_OUTOFMEMORY) : static_cast<INT_PTR>(E_FAIL);
    }
  }
  return OnInit(hwnd, msg, wparam, lparam);
}

INT_PTR CBaseDialog::OnInit(HWND, UINT, WPARAM, LPARAM) { return TRUE; }
INT_PTR CBaseDialog::OnMessage(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

INT_PTR CBaseDialog::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  const UINT command = LOWORD(wparam);
  if (command == IDOK || command == IDCANCEL) EndDialog(hwnd, 0);
  return TRUE;
}

INT_PTR CBaseDialog::OnPaint(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CBaseDialog::OnCtlColorStatic(HWND, UINT, WPARAM, LPARAM) { return TRUE; }
INT_PTR CBaseDialog::OnNotify(HWND, UINT, WPARAM, LPARAM) { return TRUE; }

std::u16string CBaseDialog::Text(const WCHAR* id) { return CTranslator::GetInstance()->GetText(id); }

void CBaseDialog::SetItemText(int control, const WCHAR* id) {
  const std::u16string text = Text(id);
  if (control == 0) SetWindowTextW(m_dialog, text.c_str());
  else SetDlgItemTextW(m_dialog, control, text.c_str());
}

void CBaseDialog::SetCaption(const WCHAR* id) { SetItemText(0, id); }

std::u16string CBaseDialog::ItemText(int control, int max_chars) const {
  std::u16string buffer(static_cast<std::size_t>(max_chars) + 1, u'\0');
  const UINT n = GetDlgItemTextW(m_dialog, control, buffer.data(), max_chars + 1);
  buffer.resize(n);
  return buffer;
}

void CBaseDialog::SetSoftKeyText(UINT command, const std::u16string& text) {
  velomar::ui::SetSoftKeyText(SHFindMenuBar(m_dialog), command, text);
}

void CBaseDialog::ReplaceMenuItem(UINT menu_key, int position, UINT command, const std::u16string& text) {
  velomar::ui::SetSoftKeyMenuItem(SHFindMenuBar(m_dialog), menu_key, position, command, text);
}

void CBaseDialog::SetStandardSoftKeys(UINT menu_key, UINT save_command) {
  SetSoftKeyText(IDCANCEL, Text(u"CANCEL"));
  SetSoftKeyText(menu_key, Text(u"MENU_MENU"));
  ReplaceMenuItem(menu_key, 0, save_command, Text(u"SAVE"));
}

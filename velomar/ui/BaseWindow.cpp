#include "velomar/ui/BaseWindow.h"

#include <set>

#include "platform/controls/controls.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Exceptions.h"
#include "velomar/core/Trace.h"
#include "velomar/core/app/App.h"
#include "velomar/ui/ButtonOwnDrawImage.h"
#include "velomar/ui/ShellCalls.h"
#include "velomar/ui/Translator.h"

namespace {

// Shared by every window of the process; UI thread only.
std::map<HWND, CBaseWindow*>& WindowMap() {
  static std::map<HWND, CBaseWindow*> map;
  return map;
}
CBaseWindow* g_creating = nullptr;

CTranslator* Tr() { return CTranslator::GetInstance(); }

void SetArrowCursor() { SetCursor(LoadCursorW(nullptr, IDC_ARROW)); }

}  // namespace

CBaseWindow::CBaseWindow(BYTE auto_layout) : m_autoLayout(auto_layout) {}

CBaseWindow::~CBaseWindow() {
  // A button registered twice appears twice in the list: it is deleted once.
  std::set<CButtonOwnDrawImage*> deleted;
  for (CButtonOwnDrawImage* button : m_buttonList) {
    if (button && deleted.insert(button).second) delete button;
  }
  m_buttonList.clear();
  m_buttonMap.clear();
}

LRESULT CBaseWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  try {
    result = Dispatch(hwnd, msg, wparam, lparam);
  } catch (const CBaseException& e) {
    TextBox(hwnd, Tr()->GetText(u"ERROR WITH STRING PARAM").c_str(), e.GetMessage().c_str());
    result = 0;
  } catch (...) {
    TextBox(hwnd, Tr()->GetText(u"THERE WAS AN ERROR").c_str());
    result = 0;
  }
  SetArrowCursor();
  return result;
}

LRESULT CBaseWindow::Dispatch(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_CREATE: return OnCreate(hwnd, msg, wparam, lparam);
    case WM_DESTROY: return OnDestroy(hwnd, msg, wparam, lparam);
    case WM_SIZE: return OnSize(hwnd, msg, wparam, lparam);
    case WM_SETFOCUS: return OnSetFocus(hwnd, msg, wparam, lparam);
    case WM_KILLFOCUS: return OnKillFocus(hwnd, msg, wparam, lparam);
    case WM_PAINT: return OnPaint(hwnd, msg, wparam, lparam);
    case WM_CLOSE: return OnClose(hwnd, msg, wparam, lparam);
    case WM_DRAWITEM: return OnDrawItem(hwnd, msg, wparam, lparam);
    case WM_KEYUP: return OnKeyUp(hwnd, msg, wparam, lparam);
    case WM_INITDIALOG: return OnInitDialog(hwnd, msg, wparam, lparam);
    case WM_COMMAND: return OnCommand(hwnd, msg, wparam, lparam);
    case WM_INITMENUPOPUP: return OnInitMenuPopup(hwnd, msg, wparam, lparam);
    default: return DefaultProc(hwnd, msg, wparam, lparam);
  }
}

int CBaseWindow::Create(HINSTANCE instance, int value1, int value2) {
  m_instance = instance;
  const int result = InitGUI(instance, value1, value2);
  if (m_autoLayout) Relayout(1, 0);
  return result;
}

void CBaseWindow::RegisterButton(HWND button_window, CButtonOwnDrawImage* button) {
  if (!button_window || !button) throw CBaseException(u"%s", Tr()->GetText(u"ERROR REGISTERING BUTTON").c_str());
  m_buttonList.push_back(button);
  m_buttonMap[button_window] = button;
}

int CBaseWindow::GetOrientation() {
  if (m_orientation == 3) {
    RECT rc{};
    GetWindowRect(GetDesktopWindow(), &rc);
    const LONG width = rc.right - rc.left;
    const LONG height = rc.bottom - rc.top;
    m_orientation = height > width ? 0 : (height < width ? 1 : 2);
  }
  return m_orientation;
}

LRESULT CBaseWindow::OnEnterButton(HWND, UINT, WPARAM, LPARAM) { return 0; }

LRESULT CBaseWindow::OnInitDialog(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  Trace(0, u"CBaseWindow::OnInitDialog");
  velomar::ui::ShellWindowState(hwnd, 0);
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

LRESULT CBaseWindow::OnClose(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}
LRESULT CBaseWindow::OnCreate(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}
LRESULT CBaseWindow::OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}
LRESULT CBaseWindow::OnDestroy(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

LRESULT CBaseWindow::OnSetFocus(HWND, UINT, WPARAM, LPARAM) {
  for (CButtonOwnDrawImage* button : m_buttonList) {
    if (button && IsWindowEnabled(button->GetHwnd())) {
      SetFocus(button->GetHwnd());
      break;
    }
  }
  return 0;
}

LRESULT CBaseWindow::OnKillFocus(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

LRESULT CBaseWindow::OnInitMenuPopup(HWND, UINT, WPARAM, LPARAM) { return 1; }

CButtonOwnDrawImage* CBaseWindow::FindNextButton(HWND from, bool forward) {
  const std::size_t count = m_buttonList.size();
  if (count == 0) return nullptr;
  std::size_t index = count;  // not found
  for (std::size_t i = 0; i < count; ++i) {
    if (m_buttonList[i] && m_buttonList[i]->GetHwnd() == from) {
      index = i;
      break;
    }
  }
  std::size_t candidate = 0;
  if (index != count) candidate = forward ? (index + 1) % count : (index == 0 ? count - 1 : index - 1);
  // Each button is looked at once at most: with none enabled the search ends.
  for (std::size_t tries = 0; tries < count; ++tries) {
    CButtonOwnDrawImage* button = m_buttonList[candidate];
    if (button && IsWindowEnabled(button->GetHwnd())) return button;
    candidate = forward ? (candidate + 1) % count : (candidate == 0 ? count - 1 : candidate - 1);
  }
  return nullptr;
}

LRESULT CBaseWindow::OnKeyUp(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (wparam) {
    case VK_DOWN:
    case VK_TAB:
    case VK_RIGHT:
    case VK_UP:
    case VK_LEFT: {
      const bool forward = wparam == VK_DOWN || wparam == VK_TAB || wparam == VK_RIGHT;
      if (CButtonOwnDrawImage* next = FindNextButton(GetFocus(), forward)) SetFocus(next->GetHwnd());
      break;
    }
    case VK_F6:
      OnEnterButton(hwnd, msg, VK_F6, lparam);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

LRESULT CBaseWindow::OnSize(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  Trace(0, u"CBaseWindow::OnSize");
  const LRESULT result = DefWindowProcW(hwnd, msg, wparam, lparam);
  Trace(0, u"CBaseWindow::-OnSize");
  return result;
}

LRESULT CBaseWindow::OnPaint(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

LRESULT CBaseWindow::OnDrawItem(HWND, UINT, WPARAM, LPARAM lparam) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
  auto found = item ? m_buttonMap.find(item->hwndItem) : m_buttonMap.end();
  if (found == m_buttonMap.end() || !found->second) throw CBaseException(u"No se encontro el objeto owner draw");
  found->second->Draw(item);
  return TRUE;
}

LRESULT CBaseWindow::DefaultProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

void CBaseWindow::Relayout(int mode, int) {
  if (mode == 1) ReorderShell();
}

void CBaseWindow::ReorderShell() {
  Trace(0, u"CBaseWindow::ReorderShell()");
  LayOutButtonRows();
}

void CBaseWindow::LayOutButtonRows() {
  RECT client{};
  GetClientRect(m_hwnd, &client);
  int bottom = client.bottom - (m_resolution == 2 ? 50 : 25);
  int x = 0;
  for (CButtonOwnDrawImage* button : m_buttonList) {
    if (!button || PlaceApart(button)) continue;
    const bool managed = button->IsAutolocate();
    if (managed) {
      button->SetWidth(m_buttonWidth);
      button->SetHeight(m_buttonHeight);
    }
    const int width = button->GetWidth();
    const int height = button->GetHeight();
    if (x > client.right - width) {
      x = 0;
      bottom -= height;
    }
    if (managed) {
      button->SetX(x);
      button->SetY(bottom - height);
      SetWindowPos(button->GetHwnd(), nullptr, x, bottom - height, width, height, SWP_NOZORDER | SWP_NOOWNERZORDER);
    }
    m_layoutRight = x + width;
    m_layoutTop = bottom - height;
    x += width;
  }
  AfterReorder();
}

LRESULT CBaseWindow::StaticWindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  CBaseWindow* window = GetWindowObject(hwnd);
  if (!window) window = g_creating;
  if (!window) return DefWindowProcW(hwnd, msg, wparam, lparam);
  LRESULT result = 0;
  try {
    result = window->WindowProc(hwnd, msg, wparam, lparam);
  } catch (...) {
    // Only a derived WindowProc that left the guard gets here: the program restarts in order.
    Trace(0, u"CBaseWindow::StaticWindowProc: exception, restart");
    RequestRestart();
    result = 0;
  }
  SetArrowCursor();
  return result;
}

void CBaseWindow::SetWindowObject(HWND hwnd, CBaseWindow* window) { WindowMap()[hwnd] = window; }

void CBaseWindow::RemoveWindowObject(HWND hwnd) { WindowMap().erase(hwnd); }

CBaseWindow* CBaseWindow::GetWindowObject(HWND hwnd) {
  auto& map = WindowMap();
  auto found = map.find(hwnd);
  return found == map.end() ? nullptr : found->second;
}

void CBaseWindow::SetCreatingWindow(CBaseWindow* window) { g_creating = window; }

#include "velomar/ui/OptionDialog.h"

#include <algorithm>
#include <set>

#include "platform/dialogs/own_modal.h"
#include "platform/gdi/gdi.h"
#include "velomar/core/Trace.h"
#include "velomar/ui/ButtonOwnDrawImage.h"
#include "velomar/ui/Translator.h"

namespace {

constexpr const WCHAR* kPopupClass = u"Options Window";
constexpr const WCHAR* kTimeLimitClass = u"Options Window limit";
// The popups' window style as the program gives it (the class's redraw bits).
constexpr DWORD kPopupStyle = 3;

CTranslator* Tr() { return CTranslator::GetInstance(); }

void SetCursorTo(LPCWSTR cursor) { SetCursor(LoadCursorW(nullptr, cursor)); }

}  // namespace

namespace velomar::ui {
PopupDialogs& GetPopupDialogs() {
  static PopupDialogs dialogs;
  return dialogs;
}
}  // namespace velomar::ui

COptionDialog::COptionDialog(const std::u16string& title, int x, int y, int width, int height, HWND parent,
                             CBaseWindow* owner)
    : CBaseWindow(0), m_title(title), m_x(x), m_y(y), m_width(width), m_height(height), m_owner(owner),
      m_parent(parent) {}

COptionDialog::~COptionDialog() {
  Trace(0, u"COptionDialog::~COptionDialog()");
  if (m_owner) m_owner->SetActiveChild(nullptr);
  // Choices whose window was made are registered with the popup, which deletes them; the others
  // go here.
  const std::set<CButtonOwnDrawImage*> registered(m_buttonList.begin(), m_buttonList.end());
  for (CButtonOwnDrawText* option : m_options)
    if (registered.count(option) == 0) delete option;
  m_options.clear();
  if (m_hwnd) {
    RemoveWindowObject(m_hwnd);
    if (IsWindow(m_hwnd)) DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
  }
}

void COptionDialog::AddOption(CButtonOwnDrawText* button) {
  if (button) m_options.push_back(button);
}

CButtonOwnDrawText* COptionDialog::MakeButton(const std::u16string& text, int id, const char16_t* theme_id) {
  auto* button = new CButtonOwnDrawText(this, 60, 65, m_instance, nullptr, text.c_str(), id, 1, true, 8);
  button->SetThemeId(theme_id);
  button->GetConfigFromXML();
  return button;
}

void COptionDialog::RegisterClass(const WCHAR* name) {
  WNDCLASSW wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = CBaseWindow::StaticWindowProc;
  wc.hInstance = m_instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = name;
  RegisterClassW(&wc);
}

HWND COptionDialog::CreatePopup(const WCHAR* name, int x, int y, int width, int height, HINSTANCE instance) {
  SetCreatingWindow(this);
  HWND hwnd = CreateWindowExW(0, name, name, kPopupStyle, x, y, width, height, nullptr, nullptr, instance, nullptr);
  ClearCreatingWindow();
  if (!hwnd) {
    Trace(0, u"Error creando dialogo");
    return nullptr;
  }
  m_hwnd = hwnd;
  SetWindowObject(hwnd, this);
  SetWindowTextW(hwnd, m_title.c_str());
  return hwnd;
}

int COptionDialog::InitGUI(HINSTANCE instance, int, int) {
  Trace(0, u"COptionDialog::InitGUI()");
  m_instance = instance;
  m_cancel = MakeButton(Tr()->GetText(u"CANCEL"), kOptionCancel, u"cancel");
  m_options.push_back(m_cancel);
  RegisterClass(kPopupClass);
  RECT parent_rect{};
  GetClientRect(m_parent, &parent_rect);
  const int parent_width = std::max<int>(parent_rect.right - parent_rect.left, 1);

  int width = m_width;
  if (width == 0)
    for (CButtonOwnDrawText* option : m_options) width += option->GetWidth();
  const int x = m_x != 0 ? m_x : std::max(0, parent_width / 2 - width / 2);
  const int y = m_y != 0 ? m_y : 30;
  const int cancel_height = m_cancel->GetHeight();
  int height = m_height;
  if (height == 0) height = width <= parent_width ? cancel_height + 35 : (width / parent_width + 1) * cancel_height + 35;

  HWND hwnd = CreatePopup(kPopupClass, x, y, std::min(width + 10, parent_width), height, instance);
  if (!hwnd) return 0;

  int bx = 3, by = 20, column = 0;
  for (CButtonOwnDrawText* option : m_options) {
    if (column > 2 && width > parent_width) {
      bx = 5;
      column = 0;
      by += cancel_height + 2;
    }
    option->SetX(bx);
    option->SetY(by);
    option->Create();
    bx += option->GetWidth();
    ++column;
  }
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  SetCursorTo(IDC_ARROW);
  return 1;
}

LRESULT COptionDialog::OnPaint(HWND hwnd, UINT, WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  RECT client{};
  GetClientRect(hwnd, &client);
  HBRUSH brush = CreateSolidBrush(RGB(168, 255, 188));
  HPEN pen = CreatePen(PS_SOLID, 3, RGB(50, 200, 50));
  HGDIOBJ old_brush = SelectObject(hdc, brush);
  HGDIOBJ old_pen = SelectObject(hdc, pen);
  Rectangle(hdc, client.left, client.top, client.right, client.bottom);
  LOGFONTW lf{};
  lf.lfHeight = 12;
  lf.lfWeight = 700;
  lf.lfQuality = CLEARTYPE_QUALITY;
  const char16_t face[] = u"Tahoma";
  std::copy(std::begin(face), std::end(face), lf.lfFaceName);
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old_font = SelectObject(hdc, font);
  SetBkMode(hdc, TRANSPARENT);
  RECT band{client.left, 5, client.right, 20};
  DrawTextW(hdc, m_title.c_str(), -1, &band, DT_CENTER | DT_WORD_ELLIPSIS);
  SelectObject(hdc, old_font);
  SelectObject(hdc, old_pen);
  SelectObject(hdc, old_brush);
  DeleteObject(font);
  DeleteObject(pen);
  DeleteObject(brush);
  EndPaint(hwnd, &ps);
  return 0;
}

int COptionDialog::ShowModal() {
  Trace(0, u"COptionDialog::ShowModal()");
  if (!m_hwnd) {
    // Never shown: nothing chosen, and the parent is not left disabled.
    EnableWindow(m_parent, TRUE);
    return kOptionCancel;
  }
  if (m_owner) m_owner->SetActiveChild(this);
  std::vector<std::u16string> texts;
  for (CButtonOwnDrawText* option : m_options) texts.emplace_back(option->GetCaption());
  ce::dialogs::RunOwnModalLoop(m_hwnd, std::move(texts), [this] { return m_result; });
  if (m_owner) m_owner->SetActiveChild(nullptr);
  RemoveWindowObject(m_hwnd);
  return m_result;
}

void COptionDialog::RestoreParent(HWND hwnd) {
  if (m_owner) m_owner->SetActiveChild(nullptr);
  SetCursorTo(IDC_WAIT);
  SetForegroundWindow(m_parent);
  ShowWindow(hwnd, SW_HIDE);
  EnableWindow(m_parent, TRUE);
  SetFocus(m_parent);
  ShowWindow(m_parent, SW_SHOW);
  UpdateWindow(m_parent);
  SetForegroundWindow(m_parent);
}

LRESULT COptionDialog::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  const int id = LOWORD(wparam);
  RestoreParent(hwnd);
  const LRESULT result = OnOptionChosen(hwnd, id);
  SetCursorTo(IDC_ARROW);
  return result;
}

LRESULT COptionDialog::OnOptionChosen(HWND hwnd, int id) {
  m_result = id;
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  return 0;
}

LRESULT COptionDialog::OnDestroy(HWND, UINT, WPARAM, LPARAM) {
  EnableWindow(m_parent, TRUE);
  ShowWindow(m_parent, SW_SHOW);
  UpdateWindow(m_parent);
  SetForegroundWindow(m_parent);
  PostQuitMessage(0);
  return 0;
}

COptionDialogTimeLimit::COptionDialogTimeLimit(const std::u16string& title, int x, int y, int width, int height,
                                               HWND parent, CBaseWindow* owner)
    : COptionDialog(title, x, y, width, height, parent, owner) {
  if (owner && owner->GetResolution() == 2) {
    m_width *= 2;
    m_height *= 2;
  }
}

int COptionDialogTimeLimit::InitGUI(HINSTANCE instance, int, int) {
  Trace(0, u"COptionDialogTimeLimit::InitGUI()");
  m_instance = instance;
  RegisterClass(kTimeLimitClass);
  HWND hwnd = CreatePopup(kTimeLimitClass, m_x, m_y, m_width, m_height, instance);
  if (!hwnd) return 0;
  static const struct {
    const char16_t* theme;
    int id;
  } kChoices[] = {{u"time_limit_none", kTimeLimitNone}, {u"time_limit_1", 1},      {u"time_limit_5", 5},
                  {u"time_limit_10", 10},               {u"time_limit_30", 30},    {u"time_limit_60", 60},
                  {u"time_limit_120", 120},             {u"time_limit_custom", kTimeLimitCustom},
                  {u"cancel", kOptionCancel}};
  // Every choice carries the text of "CANCEL"; its picture tells what it is.
  const std::u16string text = Tr()->GetText(u"CANCEL");
  int x = 5, y = 20, index = 0;
  for (const auto& choice : kChoices) {
    CButtonOwnDrawText* button = MakeButton(text, choice.id, choice.theme);
    if (choice.id == kOptionCancel) m_cancel = button;
    m_options.push_back(button);
    if (index == 3 || index == 6) {
      x = 5;
      y += button->GetHeight() + 2;
    }
    button->SetX(x);
    button->SetY(y);
    button->Create();
    x += button->GetWidth();
    ++index;
  }
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  SetCursorTo(IDC_ARROW);
  return 1;
}

LRESULT COptionDialogTimeLimit::OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (LOWORD(wparam) != kTimeLimitCustom) return COptionDialog::OnCommand(hwnd, msg, wparam, lparam);
  auto* dialog = velomar::ui::GetPopupDialogs().customTime;
  int hours = 0, minutes = 0;
  if (!dialog || dialog(hwnd, hours, minutes) != 1) return 0;  // cancelled: the popup stays open
  // Only a real duration is taken: 0 minutes or more than 65535 leave the popup open, as a
  // cancelled dialog does (they would read as no limit, or wrap).
  const long long total = static_cast<long long>(hours) * 60 + minutes;
  if (total < 1 || total > 65535) return 0;
  m_custom = true;
  OnOptionChosen(hwnd, static_cast<int>(total));
  RestoreParent(hwnd);
  SetCursorTo(IDC_ARROW);
  return 0;
}

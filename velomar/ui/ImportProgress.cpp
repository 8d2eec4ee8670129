#include "velomar/ui/ImportProgress.h"

#include <algorithm>

#include "platform/controls/commctrl.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"
#include "velomar/ui/Translator.h"

namespace velomar::ui {
namespace {

constexpr int kHeight = 48;
constexpr int kMargin = 6;
constexpr int kBarHeight = 14;

// The window's text on a white face, above the bar.
LRESULT ProgressProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client{};
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    WCHAR text[128] = {};
    GetWindowTextW(hwnd, text, 128);
    RECT line{kMargin, 4, client.right - kMargin, kHeight - kBarHeight - 2 * kMargin};
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text, -1, &line, DT_CENTER);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void RegisterProgressClass() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ProgressProc;
  wc.hCursor = LoadCursorW(nullptr, IDC_WAIT);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kImportProgressClass;
  RegisterClassW(&wc);  // fails harmlessly once registered
}

}  // namespace

CImportProgress::CImportProgress(HWND owner) {
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  InitCommonControls();
  RegisterProgressClass();
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner) GetWindowRect(owner, &area);
  const int width = std::max<int>(area.right - area.left - 2 * kMargin, 40);
  m_window = CreateWindowExW(WS_EX_TOPMOST, kImportProgressClass, u"", WS_POPUP | WS_BORDER | WS_VISIBLE,
                             area.left + kMargin, area.top + 40, width, kHeight, owner, nullptr, nullptr, nullptr);
  if (!m_window) return;  // the import goes on without it
  m_bar = CreateWindowExW(0, PROGRESS_CLASSW, u"", WS_CHILD | WS_VISIBLE | WS_BORDER, kMargin,
                          kHeight - kBarHeight - kMargin, width - 2 * kMargin - 2, kBarHeight, m_window, nullptr, nullptr,
                          nullptr);
  if (m_bar) SendMessageW(m_bar, PBM_SETRANGE32, 0, 100);
}

CImportProgress::~CImportProgress() {
  if (m_window) DestroyWindow(m_window);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

void CImportProgress::Show(int done, int total) {
  if (!m_window) return;
  const std::u16string text = CTranslator::GetInstance()->GetFormatted(u"IMPORTING PLACES", done, total);
  SetWindowTextW(m_window, text.c_str());
  if (m_bar) SendMessageW(m_bar, PBM_SETPOS, total > 0 ? static_cast<WPARAM>(100LL * done / total) : 0, 0);
  InvalidateRect(m_window, nullptr, TRUE);
  UpdateWindow(m_window);
  if (m_bar) {
    InvalidateRect(m_bar, nullptr, TRUE);
    UpdateWindow(m_bar);
  }
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

}  // namespace velomar::ui

// Painting: the six status icons and the lock icon, the cell id and location area code, and the
// place and period line, drawn off-screen over the host's background.
#include "platform/gdi/gdi.h"
#include "platform/gdi/images.h"
#include "platform/text/format.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "todayvelomar/TodayItemState.h"
#include "todayvelomar/TodayVelomar.h"

namespace todayvelomar {

const WCHAR* IconFile(int slot, int status) {
  switch (slot) {
    case 0:  // Wi-Fi
      return status == 1 ? u"td_wifi.png" : status == 0 ? u"td_wifi_des.png" : u"td_unknown.png";
    case 1:  // Bluetooth
      return status == 0   ? u"td_bluetooth_des.png"
             : status == 1 ? u"td_bluetooth.png"
             : status == 2 ? u"td_bluetooth_discoverable.png"
                           : u"td_unknown.png";
    case 2:  // speaker
      return status == 0   ? u"td_speaker_des.png"
             : status == 1 ? u"td_speaker_vibrate.png"
             : status == 2 ? u"td_speaker.png"
                           : u"td_unknown.png";
    case 3:  // phone: every status but -1 and 1 shows the phone on
      return status == -1 ? u"td_unknown.png" : status == 1 ? u"td_mobilephone_des.png" : u"td_mobilephone.png";
    case 4:  // data connections
      return status == 0   ? u"td_connection_dis.png"
             : status == 1 ? u"td_connection_des.png"
             : status == 2 ? u"td_connection.png"
                           : u"td_unknown.png";
    case 5:  // band
      return status == 0 ? u"td_auto.png" : status == 1 ? u"td_2g.png" : status == 2 ? u"td_3g.png" : u"td_unknown.png";
    default:
      return u"td_unknown.png";
  }
}

void PaintItem(HWND hwnd) {
  ItemState& s = State();
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;

  // The host has drawn its background into the window (WM_ERASEBKGND): it is the starting picture.
  HDC memory = CreateCompatibleDC(hdc);
  HBITMAP bitmap = CreateCompatibleBitmap(hdc, width, height);
  HGDIOBJ old_bitmap = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, hdc, 0, 0, SRCCOPY);

  if (s.mainWindow == nullptr) {
    // Velomar was never found: only the background, and a refresh once it is.
    s.refreshNeeded = true;
  } else {
    s.refreshNeeded = false;
    SetBkMode(memory, TRANSPARENT);
    SetTextColor(memory, static_cast<COLORREF>(SendMessageW(GetParent(hwnd), TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0)));
    LOGFONTW face{};
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof(face), &face);
    face.lfHeight = 11;
    face.lfWeight = 600;
    HFONT font = CreateFontIndirectW(&face);
    HGDIOBJ old_font = SelectObject(memory, font);

    for (int slot = 0; slot < kTodayIconSlots; ++slot) DrawTodayIcon(IconFile(slot, s.statuses[slot]), memory, 25 * slot);
    DrawTodayIcon(u"td_lock.png", memory, 150);

    // The cell only while the phone's radio is on (status 0) and a cell was told: with the radio
    // off the last cell is no longer where the phone is.
    if (s.statuses[kPhoneSlot] == 0 && (s.cellId != 0 || s.lac != 0)) {
      WCHAR cell[32];
      wsprintfW(cell, u"%d-%d", s.cellId, s.lac);
      RECT cell_rect = client;
      cell_rect.left = 175;
      DrawTextW(memory, cell, -1, &cell_rect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }

    if (s.printPlace) {
      WCHAR line[2 * kSettingChars + 4];
      // No period in force (or Velomar gone): no dash after the place.
      if (s.currentFrame[0] != 0)
        swprintf(line, u"%s - %s", s.currentPlace, s.currentFrame);
      else
        swprintf(line, u"%s", s.currentPlace);
      RECT line_rect = client;
      line_rect.top = client.bottom - 10;
      DrawTextW(memory, line, -1, &line_rect, DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
    }
    SelectObject(memory, old_font);
    DeleteObject(font);
  }

  BitBlt(hdc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old_bitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
  EndPaint(hwnd, &ps);
}

}  // namespace todayvelomar

HBITMAP LoadTodayIcon(LPCWSTR file_name) {
  WCHAR path[MAX_PATH];
  swprintf(path, u"%s\\%s", todayvelomar::State().iconFolder, file_name ? file_name : u"");
  HBITMAP bitmap = SHLoadImageFile(path);
  if (bitmap == nullptr) ProcesarError(u"Error loading %s", path);
  return bitmap;
}

void DrawTodayIcon(LPCWSTR file_name, HDC hdc, int x) {
  HBITMAP icon = LoadTodayIcon(file_name);
  if (icon == nullptr) return;
  BITMAP info{};
  GetObjectW(icon, sizeof(info), &info);
  HDC source = CreateCompatibleDC(hdc);
  HGDIOBJ old = SelectObject(source, icon);
  // The corner pixel's colour is the icon's background, left out.
  const COLORREF key = GetPixel(source, 1, 1);
  TransparentBlt(hdc, x, 1, 25, 25, source, 0, 0, info.bmWidth, info.bmHeight, key);
  SelectObject(source, old);
  DeleteDC(source);
  DeleteObject(icon);
}

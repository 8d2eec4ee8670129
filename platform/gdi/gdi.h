// The drawing interface (GDI) the programs call: device contexts, objects, lines and shapes, text,
// bitmaps and blits, clipping. Drawing runs on Cairo image surfaces (see README.md).
#pragma once

#include "platform/gdi/gdi_types.h"

// Device contexts and objects.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
HGDIOBJ GetStockObject(int index);
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);
int GetObjectW(HGDIOBJ object, int size, LPVOID out);
DWORD GetObjectType(HGDIOBJ object);
HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* pen);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
// A brush from a packed device-independent bitmap (header, colour table, pixels).
HBRUSH CreateDIBPatternBrushPt(const void* packed_dib, UINT usage);
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
int SetROP2(HDC hdc, int rop);
int GetROP2(HDC hdc);
int SetPolyFillMode(HDC hdc, int mode);
UINT SetTextAlign(HDC hdc, UINT align);
UINT GetTextAlign(HDC hdc);
BOOL SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT old);
int GetDeviceCaps(HDC hdc, int index);
COLORREF GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);
int SaveDC(HDC hdc);
BOOL RestoreDC(HDC hdc, int saved);

// Clipping and regions.
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
int CombineRgn(HRGN dest, HRGN a, HRGN b, int mode);
BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom);
int GetRgnBox(HRGN rgn, LPRECT rect);
BOOL PtInRegion(HRGN rgn, int x, int y);
int OffsetRgn(HRGN rgn, int dx, int dy);
BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush);
int SelectClipRgn(HDC hdc, HRGN rgn);
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
int GetClipBox(HDC hdc, LPRECT rect);
int GetClipRgn(HDC hdc, HRGN rgn);

// Lines and shapes.
BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old);
BOOL LineTo(HDC hdc, int x, int y);
BOOL Polyline(HDC hdc, const POINT* points, int count);
BOOL Polygon(HDC hdc, const POINT* points, int count);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
BOOL Arc(HDC hdc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye);
BOOL Pie(HDC hdc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye);
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL DrawEdge(HDC hdc, LPRECT rect, UINT edge, UINT flags);
BOOL DrawFocusRect(HDC hdc, const RECT* rect);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC hdc, int x, int y);
BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop);

// Fonts and text.
HFONT CreateFontIndirectW(const LOGFONTW* font);
BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count);
BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count, const int* dx);
int DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format);
BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, LPSIZE size);
BOOL GetTextExtentExPointW(HDC hdc, LPCWSTR text, int count, int max_extent, int* fit, int* dx, LPSIZE size);
BOOL GetTextMetricsW(HDC hdc, TEXTMETRICW* metrics);
int GetTextFaceW(HDC hdc, int count, LPWSTR face);
int EnumFontsW(HDC hdc, LPCWSTR face, FONTENUMPROCW proc, LPARAM data);
int EnumFontFamiliesW(HDC hdc, LPCWSTR family, FONTENUMPROCW proc, LPARAM data);

// Bitmaps and blits.
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bits_per_pixel, const void* bits);
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);
int SetDIBitsToDevice(HDC hdc, int x, int y, DWORD width, DWORD height, int sx, int sy, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage);
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, DWORD rop);
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, int swidth, int sheight, DWORD rop);
BOOL TransparentImage(HDC dest, int x, int y, int width, int height, HANDLE src, int sx, int sy, int swidth, int sheight, COLORREF transparent);
BOOL TransparentBlt(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, int swidth, int sheight, UINT transparent);
BOOL AlphaBlend(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, int swidth, int sheight, BLENDFUNCTION blend);
BOOL GradientFill(HDC hdc, TRIVERTEX* vertices, ULONG nvertices, PVOID mesh, ULONG nmesh, ULONG mode);
BOOL GdiFlush();

// Icons (an icon is a colour bitmap with its transparency).
HICON CreateIconIndirect(ICONINFO* info);
BOOL DestroyIcon(HICON icon);
BOOL DrawIcon(HDC hdc, int x, int y, HICON icon);
BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int width, int height, UINT step, HBRUSH flicker, UINT flags);
BOOL GetIconInfo(HICON icon, ICONINFO* info);

// Rectangle helpers.
BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom);
BOOL SetRectEmpty(LPRECT rect);
BOOL CopyRect(LPRECT dest, const RECT* src);
BOOL InflateRect(LPRECT rect, int dx, int dy);
BOOL OffsetRect(LPRECT rect, int dx, int dy);
BOOL IntersectRect(LPRECT dest, const RECT* a, const RECT* b);
BOOL UnionRect(LPRECT dest, const RECT* a, const RECT* b);
BOOL IsRectEmpty(const RECT* rect);
BOOL PtInRect(const RECT* rect, POINT point);
BOOL EqualRect(const RECT* a, const RECT* b);

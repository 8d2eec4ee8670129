// Basic types of the handheld platform, as its programs see them.
//
// Wide text is UTF-16 (WCHAR is char16_t), as on the device. Integer widths follow the device's
// 32-bit ABI for the named integer types (DWORD, LONG, UINT are 32-bit), while the types that
// carry pointers (WPARAM, LPARAM, LRESULT, *_PTR, handles) are pointer-sized on the host.
#pragma once

#include <cstddef>
#include <cstdint>

using WCHAR = char16_t;
using TCHAR = WCHAR;
using CHAR = char;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using INT = int;
using UINT = unsigned int;
using BOOL = int;
using BOOLEAN = std::uint8_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using DWORD64 = std::uint64_t;
using FLOAT = float;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using SIZE_T = std::size_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using HRESULT = std::int32_t;
using ATOM = WORD;
using COLORREF = DWORD;

using PVOID = void*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using LPLONG = LONG*;
using LPBOOL = BOOL*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPTSTR = WCHAR*;
using LPCTSTR = const WCHAR*;
using PWSTR = WCHAR*;
using PCWSTR = const WCHAR*;

// Handles are opaque pointer-sized values. Kernel objects share one type; window-system and GDI
// objects get distinct types so that overloads and mistakes show at compile time.
using HANDLE = void*;
#define CE_DECLARE_HANDLE(name) \
  struct name##__ {             \
    int unused;                 \
  };                            \
  using name = name##__*
CE_DECLARE_HANDLE(HINSTANCE);
using HMODULE = HINSTANCE;
CE_DECLARE_HANDLE(HWND);
CE_DECLARE_HANDLE(HMENU);
CE_DECLARE_HANDLE(HDC);
using HGDIOBJ = void*;
CE_DECLARE_HANDLE(HBITMAP);
CE_DECLARE_HANDLE(HBRUSH);
CE_DECLARE_HANDLE(HPEN);
CE_DECLARE_HANDLE(HFONT);
CE_DECLARE_HANDLE(HRGN);
CE_DECLARE_HANDLE(HPALETTE);
CE_DECLARE_HANDLE(HICON);
using HCURSOR = HICON;
CE_DECLARE_HANDLE(HKEY);
CE_DECLARE_HANDLE(HRSRC);
using HGLOBAL = HANDLE;
using HLOCAL = HANDLE;
using FARPROC = LONG_PTR (*)();

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))
#define INFINITE 0xFFFFFFFFu
#define MAX_PATH 260

#define TEXT(quote) u##quote
#define _T(quote) u##quote
#define L_(quote) u##quote

#define MAKEWORD(a, b) (static_cast<WORD>((static_cast<BYTE>(a)) | (static_cast<WORD>(static_cast<BYTE>(b)) << 8)))
#define MAKELONG(a, b) (static_cast<LONG>((static_cast<WORD>(a)) | (static_cast<DWORD>(static_cast<WORD>(b)) << 16)))
#define LOWORD(l) (static_cast<WORD>(static_cast<DWORD_PTR>(l) & 0xffff))
#define HIWORD(l) (static_cast<WORD>((static_cast<DWORD_PTR>(l) >> 16) & 0xffff))
#define LOBYTE(w) (static_cast<BYTE>(static_cast<DWORD_PTR>(w) & 0xff))
#define HIBYTE(w) (static_cast<BYTE>((static_cast<DWORD_PTR>(w) >> 8) & 0xff))
#define MAKELPARAM(l, h) (static_cast<LPARAM>(static_cast<DWORD>(MAKELONG(l, h))))
#define MAKEWPARAM(l, h) (static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(l, h))))
#define RGB(r, g, b) (static_cast<COLORREF>((static_cast<BYTE>(r)) | (static_cast<WORD>(static_cast<BYTE>(g)) << 8) | (static_cast<DWORD>(static_cast<BYTE>(b)) << 16)))
#define GetRValue(rgb) (LOBYTE(rgb))
#define GetGValue(rgb) (LOBYTE(static_cast<WORD>(rgb) >> 8))
#define GetBValue(rgb) (LOBYTE((rgb) >> 16))

union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
  LONGLONG QuadPart;
};
union ULARGE_INTEGER {
  struct {
    DWORD LowPart;
    DWORD HighPart;
  } u;
  ULONGLONG QuadPart;
};

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
using LPFILETIME = FILETIME*;

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};
using LPSYSTEMTIME = SYSTEMTIME*;

struct POINT {
  LONG x;
  LONG y;
};
using LPPOINT = POINT*;
struct SIZE {
  LONG cx;
  LONG cy;
};
using LPSIZE = SIZE*;
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using LPRECT = RECT*;
using LPCRECT = const RECT*;

struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};
using CLSID = GUID;
using IID = GUID;

// Binary data layouts that cross a file, queue, registry value or packet are written field by
// field (see platform/base/wire.h); these structs are only the in-memory form.

// The little of COM the programs touch: interface identity and reference counting, BSTR and
// VARIANT, and CoInitializeEx / CoCreateInstance / CLSIDFromString for the classes this layer
// serves in-process (the XML document). No apartments, marshalling or class registration.
#pragma once

#include "platform/base/errors.h"
#include "platform/base/types.h"

using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using LPOLESTR = WCHAR*;
using LPCOLESTR = const WCHAR*;

bool operator==(const GUID& a, const GUID& b);
inline bool IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
inline bool IsEqualIID(REFIID a, REFIID b) { return a == b; }
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return a == b; }

extern const IID IID_IUnknown;

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;  // objects end through Release
};

#define REGDB_E_CLASSNOTREG (static_cast<HRESULT>(0x80040154u))
#define CLASS_E_NOAGGREGATION (static_cast<HRESULT>(0x80040110u))
#define CO_E_CLASSSTRING (static_cast<HRESULT>(0x800401F3u))
#define DISP_E_TYPEMISMATCH (static_cast<HRESULT>(0x80020005u))

#define COINIT_MULTITHREADED 0x0u
#define COINIT_APARTMENTTHREADED 0x2u
#define CLSCTX_INPROC_SERVER 0x1u
#define CLSCTX_INPROC_HANDLER 0x2u
#define CLSCTX_LOCAL_SERVER 0x4u
#define CLSCTX_REMOTE_SERVER 0x10u
#define CLSCTX_ALL (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)

// S_OK on a thread's first call, S_FALSE on later ones (as the platform answers); never fails.
HRESULT CoInitializeEx(LPVOID reserved, DWORD mode);
void CoUninitialize();
// Serves the classes this layer knows (CLSID_DOMDocument); others give REGDB_E_CLASSNOTREG.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, LPVOID* object);
// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}", any case; CO_E_CLASSSTRING for anything else.
HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid);

// BSTR: a length-prefixed wide string, NUL-terminated; null stands for the empty string.
using BSTR = WCHAR*;
BSTR SysAllocString(const WCHAR* text);
BSTR SysAllocStringLen(const WCHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);

using VARIANT_BOOL = SHORT;
#define VARIANT_TRUE (static_cast<VARIANT_BOOL>(-1))
#define VARIANT_FALSE (static_cast<VARIANT_BOOL>(0))

using VARTYPE = USHORT;
enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_BSTR = 8,
  VT_BOOL = 11,
  VT_UNKNOWN = 13,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_INT = 22,
  VT_UINT = 23,
};

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONG lVal;
    BYTE bVal;
    SHORT iVal;
    CHAR cVal;
    USHORT uiVal;
    ULONG ulVal;
    INT intVal;
    UINT uintVal;
    FLOAT fltVal;
    double dblVal;
    VARIANT_BOOL boolVal;
    BSTR bstrVal;
    IUnknown* punkVal;
  };
};
using VARIANTARG = VARIANT;

void VariantInit(VARIANT* v);
// Frees a BSTR, releases an interface; leaves VT_EMPTY.
HRESULT VariantClear(VARIANT* v);

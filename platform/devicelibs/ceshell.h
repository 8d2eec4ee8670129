// ceshell.dll: the shell's special folders as item lists, the paths of those lists, and the
// shell's allocator that frees them.
//
// The documents folder (CSIDL_PERSONAL) is "\My Documents", or the CE path held in HKLM
// "\System\Explorer\Shell Folders" value "My Documents" (a localised device); it is created when
// missing, as the device always has it. An item list made here holds one item whose bytes are
// the folder's CE path (UTF-16, NUL-terminated), then the closing zero count.
#pragma once

#include "platform/xml/com_base.h"

struct SHITEMID {
  USHORT cb;  // bytes of this item, the count included; 0 ends the list
  BYTE abID[1];
};
struct ITEMIDLIST {
  SHITEMID mkid;
};
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;

#define CSIDL_PERSONAL 0x0005

extern const IID IID_IMalloc;

struct IMalloc : IUnknown {
  virtual void* Alloc(ULONG size) = 0;
  virtual void* Realloc(void* block, ULONG size) = 0;
  // A null block, or one this allocator did not give, is ignored.
  virtual void Free(void* block) = 0;
  // The block's size; (ULONG)-1 for a block this allocator did not give.
  virtual ULONG GetSize(void* block) = 0;
  // 1 for a live block of this allocator, else 0.
  virtual int DidAlloc(void* block) = 0;
  virtual void HeapMinimize() = 0;

 protected:
  ~IMalloc() = default;
};

// The process's one shell allocator (reference counts are kept but it never ends).
HRESULT SHGetMalloc(IMalloc** allocator);
// The item list of a special folder, allocated with the shell allocator. E_INVALIDARG for a null
// out pointer or a folder id other than CSIDL_PERSONAL; E_OUTOFMEMORY.
HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* list);
// The CE path of an item list made by SHGetSpecialFolderLocation into `path` (MAX_PATH
// characters). FALSE, with `path` emptied, for a null, empty or malformed list.
BOOL SHGetPathFromIDList(LPCITEMIDLIST list, LPWSTR path);

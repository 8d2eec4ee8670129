// The process's one handle table. Every kernel object (thread, event, mutex, file, message queue,
// process, ...) lives behind a HANDLE issued here; CloseHandle removes the handle and the object
// ends when its last reference goes.
#pragma once

#include <memory>

#include "platform/base/types.h"

namespace ce::kernel {

class Waitable;

class KernelObject {
 public:
  virtual ~KernelObject() = default;
  // Non-null for objects a wait function can wait on.
  virtual Waitable* AsWaitable() { return nullptr; }
  // Called when a handle to the object is closed (not when the object ends).
  virtual void OnHandleClosed() {}
};

// Issues a new handle for the object; never returns null or INVALID_HANDLE_VALUE.
HANDLE InsertHandle(std::shared_ptr<KernelObject> object);
// Another handle to the same object (DuplicateHandle).
HANDLE DuplicateHandleOf(HANDLE h);
// The object behind a handle, or null for an unknown or closed handle.
std::shared_ptr<KernelObject> LookupHandle(HANDLE h);
// Removes the handle; false for an unknown handle.
bool RemoveHandle(HANDLE h);

template <class T>
std::shared_ptr<T> LookupAs(HANDLE h) {
  return std::dynamic_pointer_cast<T>(LookupHandle(h));
}

}  // namespace ce::kernel

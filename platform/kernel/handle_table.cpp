#include "platform/kernel/handle_table.h"

#include <mutex>
#include <unordered_map>

namespace ce::kernel {
namespace {

struct Table {
  std::mutex lock;
  std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> objects;
  // Handles are multiples of 4 starting well above small integers, so that a stray number is
  // unlikely to be a live handle; values are never reused within a process.
  std::uintptr_t next = 0x1000;
};

Table& TheTable() {
  static Table* table = new Table;  // never destroyed: handles may be closed during exit
  return *table;
}

}  // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
  Table& t = TheTable();
  std::lock_guard<std::mutex> guard(t.lock);
  std::uintptr_t value = t.next;
  t.next += 4;
  t.objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

HANDLE DuplicateHandleOf(HANDLE h) {
  auto object = LookupHandle(h);
  return object ? InsertHandle(std::move(object)) : nullptr;
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE h) {
  Table& t = TheTable();
  std::lock_guard<std::mutex> guard(t.lock);
  auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(h));
  return it == t.objects.end() ? nullptr : it->second;
}

bool RemoveHandle(HANDLE h) {
  std::shared_ptr<KernelObject> object;
  {
    Table& t = TheTable();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(h));
    if (it == t.objects.end()) return false;
    object = std::move(it->second);
    t.objects.erase(it);
  }
  object->OnHandleClosed();
  return true;  // the object ends here, outside the table lock, if this was its last reference
}

}  // namespace ce::kernel

// MAPI buffers: each buffer remembers the buffers allocated "more" on it, freed together with it.
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

#include "platform/messaging/cemapi.h"

namespace {

std::mutex g_mu;
std::map<void*, std::vector<void*>> g_children;  // every live root buffer -> its extra buffers

}  // namespace

SCODE MAPIAllocateBuffer(ULONG size, LPVOID* buffer) {
  if (!buffer) return E_INVALIDARG;
  *buffer = std::calloc(1, size ? size : 1);
  if (!*buffer) return E_OUTOFMEMORY;
  std::lock_guard<std::mutex> guard(g_mu);
  g_children[*buffer];
  return S_OK;
}

SCODE MAPIAllocateMore(ULONG size, LPVOID parent, LPVOID* buffer) {
  if (!buffer) return E_INVALIDARG;
  *buffer = nullptr;
  std::lock_guard<std::mutex> guard(g_mu);
  auto it = g_children.find(parent);
  if (it == g_children.end()) return E_INVALIDARG;
  void* p = std::calloc(1, size ? size : 1);
  if (!p) return E_OUTOFMEMORY;
  it->second.push_back(p);
  *buffer = p;
  return S_OK;
}

ULONG MAPIFreeBuffer(LPVOID buffer) {
  if (!buffer) return 0;
  std::vector<void*> children;
  {
    std::lock_guard<std::mutex> guard(g_mu);
    auto it = g_children.find(buffer);
    if (it == g_children.end()) return 0;  // not ours, or freed already: left alone
    children = std::move(it->second);
    g_children.erase(it);
  }
  for (void* c : children) std::free(c);
  std::free(buffer);
  return 0;
}

void FreeProws(SRowSet* rows) {
  if (!rows) return;
  for (ULONG i = 0; i < rows->cRows; ++i) MAPIFreeBuffer(rows->aRow[i].lpProps);
  MAPIFreeBuffer(rows);
}

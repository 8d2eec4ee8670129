#include "velomar/core/Config.h"

#include <atomic>
#include <mutex>

namespace {

std::recursive_mutex g_instance_mutex;
CConfig* g_current = nullptr;  // the registered object, or the one GetInstance made
CConfig* g_own = nullptr;      // made by GetInstance; kept for the rest of the process
std::atomic<int> g_debug{0};

}  // namespace

CConfig::CConfig() : CRegistryKey(u"\\SOFTWARE\\Morvane\\Velomar") {
  {
    std::lock_guard<std::recursive_mutex> lock(g_instance_mutex);
    g_current = this;
  }
  if (GetDWORD(u"debug_info") == 1) g_debug = 1;
}

CConfig::~CConfig() {
  std::lock_guard<std::recursive_mutex> lock(g_instance_mutex);
  if (g_current == this) g_current = (g_own != this) ? g_own : nullptr;
}

CConfig* CConfig::GetInstance() {
  std::lock_guard<std::recursive_mutex> lock(g_instance_mutex);
  if (g_current == nullptr) g_own = new CConfig();  // registers itself
  return g_current;
}

bool CConfig::IsDebug() { return g_debug.load() == 1; }

namespace velomar::seam {
void ClearDebugFlag() { g_debug = 0; }
}  // namespace velomar::seam

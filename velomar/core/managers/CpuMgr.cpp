#include "velomar/core/managers/CpuMgr.h"

#include <atomic>

#include "platform/power/power.h"
#include "velomar/core/Trace.h"
#include "velomar/ui/Translator.h"

namespace {
std::atomic<CCpuMgr*> g_instance{nullptr};
}

CCpuMgr::CCpuMgr() : CMgr(MGR_CPU) { g_instance = this; }

CCpuMgr::~CCpuMgr() {
  Stop();
  CCpuMgr* self = this;
  g_instance.compare_exchange_strong(self, nullptr);
}

CCpuMgr* CCpuMgr::GetInstance() { return g_instance.load(); }

void CCpuMgr::SetStatusChild(int status, int /*minutes*/) {
  Trace(0, u"CCpuMgr::SetStatusChild(%d)", status);
  SetSystemPowerState(nullptr, static_cast<DWORD>(status), POWER_FORCE);
}

std::u16string CCpuMgr::GetName() { return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_CPU_NAME"); }

std::u16string CCpuMgr::GetStatusText(int status) {
  switch (static_cast<DWORD>(status)) {
    case POWER_STATE_ON: return u"On state";
    case POWER_STATE_OFF: return u"Off  state";
    case POWER_STATE_CRITICAL: return u"Critical state";
    case POWER_STATE_BOOT: return u"Boot state";
    case POWER_STATE_IDLE: return u"Idle state";
    case POWER_STATE_SUSPEND: return u"Suspend state";
    case POWER_STATE_RESET: return u"Reset state";
    default: return u"unknwon state";
  }
}

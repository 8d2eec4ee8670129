#include "velomar/core/managers/BeamMgr.h"

#include <atomic>

#include "platform/files/files.h"
#include "platform/kernel/sync.h"
#include "velomar/core/Trace.h"
#include "velomar/ui/Translator.h"

namespace {

std::atomic<CBeamMgr*> g_instance{nullptr};

constexpr DWORD kServiceStart = 0x1040004;
constexpr DWORD kServiceStop = 0x1040008;
constexpr DWORD kServiceStatus = 0x1040020;

// One request to the service: open, send, close. Failures are not reported.
void SendToService(DWORD code, void* out = nullptr, DWORD out_size = 0) {
  HANDLE device = CreateFileW(u"OBX0:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (device == INVALID_HANDLE_VALUE || device == nullptr) return;
  DWORD returned = 0;
  DeviceIoControl(device, code, nullptr, 0, out, out_size, &returned, nullptr);
  CloseHandle(device);
}

}  // namespace

CBeamMgr::CBeamMgr() : CMgr(MGR_BEAM) { g_instance = this; }

CBeamMgr::~CBeamMgr() {
  Stop();
  CBeamMgr* self = this;
  g_instance.compare_exchange_strong(self, nullptr);
}

CBeamMgr* CBeamMgr::GetInstance() { return g_instance.load(); }

void CBeamMgr::SetStatusChild(int status, int /*minutes*/) {
  Trace(0, u"CBeamMgr::SetStatusChild(%d)", status);
  if (status == 0) {
    SendToService(kServiceStop);
  } else if (status == 1) {
    SendToService(kServiceStart);
    DWORD state = 0;  // not looked at
    SendToService(kServiceStatus, &state, sizeof state);
  }
}

std::u16string CBeamMgr::GetName() { return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_BEAM_NAME"); }

std::u16string CBeamMgr::GetStatusText(int status) {
  if (status == 0) return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_BEAM_STATUS_OFF");
  if (status == 1) return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_BEAM_STATUS_ON");
  return u"unknown";
}

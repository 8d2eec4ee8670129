#include "velomar/core/managers/CallForwardMgr.h"

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/kernel/kernel.h"
#include "platform/phone/tapi.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/EventLog.h"
#include "velomar/core/Trace.h"
#include "velomar/core/app/App.h"
#include "velomar/core/managers/BandMgr.h"
#include "velomar/ui/Translator.h"

namespace {

std::atomic<CCallForwardMgr*> g_instance{nullptr};

constexpr std::size_t kListSize = 97;
constexpr std::size_t kNumberOffset = 56;
constexpr std::size_t kNumberBytes = 40;

// How long a forwarding request waits for a band change under way (its radio reset switches the
// radio off, and the line refuses forwarding meanwhile), and how often it looks.
constexpr int kBandWaitMs = 120000;
constexpr DWORD kBandPollMs = 250;

// The line's answers to forwarding requests, by request id, until the request looks at its own.
std::mutex g_repliesLock;
std::map<LONG, LONG> g_replies;

void LineCallback(DWORD, DWORD message, DWORD_PTR, DWORD_PTR param1, DWORD_PTR param2, DWORD_PTR) {
  if (message != LINE_REPLY) return;
  std::lock_guard<std::mutex> lock(g_repliesLock);
  if (g_replies.size() > 64) g_replies.clear();  // answers nobody looked for
  g_replies[static_cast<LONG>(param1)] = static_cast<LONG>(static_cast<DWORD>(param2));
}

// The line's answer to `request`: 0 when it worked or did not answer (yet).
LONG TakeReply(LONG request) {
  std::lock_guard<std::mutex> lock(g_repliesLock);
  const auto it = g_replies.find(request);
  if (it == g_replies.end()) return 0;
  const LONG result = it->second;
  g_replies.erase(it);
  return result;
}

// Waits (bounded) while the band manager has a change queued or its radio reset runs; the
// waiting ends early when the program closes.
void WaitForBandChange(WorkerThread& forwarding) {
  for (int waited = 0; waited < kBandWaitMs; waited += static_cast<int>(kBandPollMs)) {
    CBandMgr* band = CBandMgr::GetInstance();
    if (band == nullptr || (!band->IsBusy() && !band->IsResetRunning())) return;
    if (!forwarding.PauseUnlessStopping(kBandPollMs)) return;
  }
}

void Put32(unsigned char* at, DWORD value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

// The forward list of one unconditional entry to `number` (at most 19 characters).
void BuildForwardList(unsigned char (&list)[kListSize], const std::u16string& number) {
  std::memset(list, 0, sizeof list);
  Put32(list + 0, kListSize);
  Put32(list + 4, 1);
  Put32(list + 8, LINEFORWARDMODE_UNCOND);
  Put32(list + 12, 0);  // caller address size
  Put32(list + 16, 0);  // caller address offset
  Put32(list + 20, 0);  // destination country code
  Put32(list + 24, kNumberBytes);
  Put32(list + 28, kNumberOffset);
  for (std::size_t i = 0; i < number.size(); ++i) {
    list[kNumberOffset + 2 * i] = static_cast<unsigned char>(number[i] & 0xFF);
    list[kNumberOffset + 2 * i + 1] = static_cast<unsigned char>(number[i] >> 8);
  }
}

}  // namespace

CCallForwardMgr::CCallForwardMgr() : CMgr(MGR_CALLFORWARD) { g_instance = this; }

CCallForwardMgr::~CCallForwardMgr() {
  Stop();
  CCallForwardMgr* self = this;
  g_instance.compare_exchange_strong(self, nullptr);
}

CCallForwardMgr* CCallForwardMgr::GetInstance() { return g_instance.load(); }

void CCallForwardMgr::SetNumber(const std::u16string& number) {
  std::lock_guard<std::mutex> lock(m_numberLock);
  m_number = number;
}

std::u16string CCallForwardMgr::GetNumber() {
  std::lock_guard<std::mutex> lock(m_numberLock);
  return m_number;
}

void CCallForwardMgr::SetStatusChild(int status, int /*minutes*/) { Forward(status, GetNumber()); }

void CCallForwardMgr::Forward(int on, const std::u16string& number) {
  Trace(0, u"CCallForwardMgr::Forward(%d)", on);
  if (on != 0 && number.size() > kMaxNumberChars) {
    ProcesarError(u"Call forwarding: the number %s is longer than 19 characters", number.c_str());
    return;
  }
  // A band change made in the same breath (a period's actions) resets the radio: forwarding
  // asked for meanwhile would be refused.
  WaitForBandChange(*this);
  HLINEAPP line_app = nullptr;
  DWORD devices = 0;
  if (const LONG rc = lineInitialize(&line_app, CApp::GetAppInstance(), LineCallback, u"Velomar", &devices); rc != 0) {
    ReportFailure(rc);
    return;
  }
  HLINE line = nullptr;
  if (const LONG rc = lineOpen(line_app, 0, &line, 0x20000, 0, 0, LINECALLPRIVILEGE_NONE, 0, nullptr); rc != 0) {
    lineShutdown(line_app);
    ReportFailure(rc);
    return;
  }
  unsigned char list[kListSize];
  BuildForwardList(list, number);
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  HCALL consult = nullptr;
  const LONG request =
      lineForward(line, 0, 0, on != 0 ? reinterpret_cast<const LINEFORWARDLIST*>(list) : nullptr, 1, &consult, nullptr);
  // The line's answer is given 10 s; a close meanwhile does not wait for it (the request is made,
  // and an answer not yet come reports nothing).
  PauseUnlessStopping(10000);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  lineClose(line);
  lineShutdown(line_app);
  const LONG result = request < 0 ? request : TakeReply(request);
  if (result != 0) ReportFailure(result);
}

void CCallForwardMgr::ReportFailure(LONG code) {
  CTranslator* texts = CTranslator::GetInstance();
  const std::u16string summary = texts->GetText(u"EVENT_LOG_MGR_CALLFORWARD_FAILED_RESUME");
  const std::u16string description =
      texts->GetFormatted(u"EVENT_LOG_MGR_CALLFORWARD_FAILED_DESCRIPTION", static_cast<unsigned>(code));
  CEventLog::AddEvent(GetId(), EVENT_WARNING, summary.c_str(), description.c_str());
}

std::u16string CCallForwardMgr::GetName() {
  return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_CALLFORWARD_NAME");
}

std::u16string CCallForwardMgr::GetStatusText(int status) {
  if (status == 0) return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_CALLFORWARD_STATUS_OFF");
  return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_CALLFORWARD_STATUS_ON");
}

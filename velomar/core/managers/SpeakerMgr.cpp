#include "velomar/core/managers/SpeakerMgr.h"

#include "platform/kernel/sync.h"
#include "platform/kernel/threads.h"
#include "platform/sound/sound.h"
#include "platform/sound/sound_profile.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Trace.h"
#include "velomar/ui/Translator.h"

namespace {

std::atomic<CSpeakerMgr*> g_instance{nullptr};

constexpr DWORD kPollMs = 10000;

}  // namespace

CSpeakerMgr::CSpeakerMgr() : CMgr(MGR_SPEAKER) {
  SetStatusValue(2);
  g_instance = this;
  m_pollStop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  m_pollThread = CreateThread(nullptr, 0, PollThread, this, 0, nullptr);
}

void CSpeakerMgr::StopPolling() {
  // The poll thread is told to end and waited for (it may be in a refresh).
  if (m_pollThread) {
    SetEvent(m_pollStop);
    WaitForSingleObject(m_pollThread, INFINITE);
    CloseHandle(m_pollThread);
    m_pollThread = nullptr;
  }
}

CSpeakerMgr::~CSpeakerMgr() {
  StopPolling();
  if (m_pollStop) CloseHandle(m_pollStop);
  Stop();
  CSpeakerMgr* self = this;
  g_instance.compare_exchange_strong(self, nullptr);
}

CSpeakerMgr* CSpeakerMgr::GetInstance() { return g_instance.load(); }

DWORD CSpeakerMgr::PollThread(LPVOID self) {
  auto* mgr = static_cast<CSpeakerMgr*>(self);
  while (WaitForSingleObject(mgr->m_pollStop, kPollMs) == WAIT_TIMEOUT) mgr->RefreshStatus(0);
  return 0;
}

void CSpeakerMgr::RefreshStatusChild(int /*force*/) {
  SNDFILEINFO info{};
  if (FAILED(SndGetSound(SND_EVENT_ALL, &info))) {
    LogFormateado(1, u"Fracaso");
    return;
  }
  switch (info.sstType) {
    case SND_SOUNDTYPE_ON: SetStatusValue(2); break;
    case SND_SOUNDTYPE_VIBRATE: SetStatusValue(1); break;
    case SND_SOUNDTYPE_NONE: SetStatusValue(0); break;
    case SND_SOUNDTYPE_FILE: SetStatusValue(-1); break;
    default: break;
  }
}

void CSpeakerMgr::SetStatusChild(int status, int /*minutes*/) {
  Trace(0, u"CSpeakerMgr::SetStatusChild(%d)", status);
  SNDFILEINFO info{};
  if (status == 2) {
    ClearTimeLimitNotification(-1);
    info.sstType = SND_SOUNDTYPE_ON;
  } else if (status == 1) {
    info.sstType = SND_SOUNDTYPE_VIBRATE;
  } else if (status == 0) {
    info.sstType = SND_SOUNDTYPE_NONE;
  } else {
    return;
  }
  LogFormateado(1, SUCCEEDED(SndSetSound(SND_EVENT_ALL, &info, TRUE)) ? u"Exito" : u"Fracaso");
  const int level = m_volumeLevel.load();
  if (status == 2 && level > 0) {
    const DWORD byte = static_cast<DWORD>(level * 51) % 256;
    waveOutSetVolume(nullptr, byte * 257);
  }
}

std::u16string CSpeakerMgr::GetName() { return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_SPEAKER_NAME"); }

std::u16string CSpeakerMgr::GetStatusText(int status) {
  CTranslator* texts = CTranslator::GetInstance();
  if (status == 2) return texts->GetText(u"EVENT_LOG_MGR_SPEAKER_STATUS_ON");
  if (status == 0) return texts->GetText(u"EVENT_LOG_MGR_SPEAKER_STATUS_OFF");
  if (status == 1) return texts->GetText(u"EVENT_LOG_MGR_SPEAKER_STATUS_VIBRATE");
  return u"unknown";
}

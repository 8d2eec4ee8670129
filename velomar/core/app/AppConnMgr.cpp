#include "velomar/core/app/AppConnMgr.h"

#include <initializer_list>

#include "platform/files/copy_leftovers.h"
#include "platform/files/files.h"
#include "platform/kernel/last_error.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Exceptions.h"
#include "velomar/core/Trace.h"
#include "velomar/core/managers/CellHistory.h"
#include "velomar/places/ScheduleEngine.h"
#include "velomar/ui/OptionDialog.h"
#include "velomar/ui/WindowMain.h"

namespace {
// As long as a worker's destructor waits for its abandoned commands.
constexpr DWORD kAbandonedCommandsWaitMs = 10000;
constexpr int kAnswerYes = 6;  // QuestionBox's "yes"

// The volume cannot be opened (`reason`): asks whether to start with a new, empty one; on yes the
// volume file and the journal files beside it are kept under the suffix ".damaged" (replacing an
// older such copy) and true is answered. False when the answer is no or the files cannot be moved.
bool SetDamagedVolumeAside(const std::u16string& volume, const std::u16string& reason) {
  if (GetFileAttributesW(volume.c_str()) == INVALID_FILE_ATTRIBUTES) return false;  // nothing to replace
  const std::u16string kept = volume + u".damaged";
  if (QuestionBox(nullptr, u"The places database %s cannot be opened:\n%s\n\nStart with a new, empty database? "
                           u"The damaged file is kept as %s.",
                  volume.c_str(), reason.c_str(), kept.c_str()) != kAnswerYes)
    return false;
  for (const char16_t* suffix : {u"", u"-wal", u"-shm", u"-journal"}) {
    const std::u16string from = volume + suffix;
    if (GetFileAttributesW(from.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    if (!MoveFileExW(from.c_str(), (kept + suffix).c_str(), MOVEFILE_REPLACE_EXISTING)) {
      ErrorBox(nullptr, u"%s could not be moved aside (error %d).", from.c_str(), static_cast<int>(GetLastError()));
      return false;
    }
  }
  return true;
}
}  // namespace

CAppConnMgr::CAppConnMgr() {
  Trace(0, u"CAppConnMgr::CAppConnMgr()");
  SetMainWindow(nullptr);
  m_wifiMgr = std::make_unique<CWifiOssVcsMgr>();
  CCellHistory::GetInstance();
}

CAppConnMgr::~CAppConnMgr() {
  Trace(0, u"CAppConnMgr::~CAppConnMgr()");
  BeginShutdown();
  // The schedule engine goes first: its commands use the managers and the database.
  CScheduleEngine::DeleteInstance();
  m_mainWindow.reset();
  // Every manager's threads stop before any member goes (in the members' reverse order): a change
  // still running would otherwise read the settings member, or another manager, while it is
  // destroyed. Then the members go in reverse order (backlight manager first, database last); the
  // database flushes and unmounts its volume.
  m_wifiMgr.reset();
  m_backlightMgr.Stop();
  m_callForwardMgr.Stop();
  m_beamMgr.Stop();
  m_rilMgr.StopThreads();
  m_rilMgr.Stop();
  m_speakerMgr.StopPolling();
  m_speakerMgr.Stop();
  m_bandMgr.Stop();
  m_connectionsMgr.Stop();
  m_phoneMgr.Stop();
  m_cpuMgr.Stop();
  m_messageMgr.Stop();
  m_btMgr.Stop();
  // A command abandoned on its time-out may still be unwinding from the call it was parked in,
  // past its worker's Stop; it may use any manager, the settings or the database. Each manager's
  // destructor would wait for its own only as that member goes, after the members declared later
  // are gone: all of them end here, before any member does.
  for (WorkerThread* worker : std::initializer_list<WorkerThread*>{
           &m_backlightMgr, &m_callForwardMgr, &m_beamMgr, &m_rilMgr, &m_speakerMgr, &m_bandMgr, &m_connectionsMgr,
           &m_phoneMgr, &m_cpuMgr, &m_messageMgr, &m_btMgr})
    worker->AwaitCommandThreads(kAbandonedCommandsWaitMs);
}

bool CAppConnMgr::InitGUI() {
  Trace(0, u"CAppConnMgr::InitGUI()");
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  // Copies into the program folder (the volume's kept copy, a restore) that a kill cut short.
  const std::u16string& volume = m_db.GetVolumePath();
  const std::size_t cut = volume.find_last_of(u'\\');
  ce::files::RemoveAbandonedCopies(cut == 0 || cut == std::u16string::npos ? std::u16string(u"\\") : volume.substr(0, cut));
  try {
    m_db.OpenDB();
  } catch (const CExceptionDB& e) {
    // A damaged volume would stop every start: the user may start afresh, the old file kept.
    m_db.CloseDB();
    if (!SetDamagedVolumeAside(m_db.GetVolumePath(), e.GetMessage())) throw;
    m_db.OpenDB();
  }
  m_phoneMgr.Initialize();
  m_messageMgr.Initialize();
  m_wifiMgr->Initialize();
  m_wifiMgr->RefreshStatus(1);
  m_connectionsMgr.Initialize();
  m_cpuMgr.Initialize();
  m_bandMgr.Initialize();
  m_callForwardMgr.Initialize();
  m_speakerMgr.Initialize();
  m_rilMgr.Initialize();
  m_backlightMgr.Initialize();
  m_beamMgr.Initialize();
  // The popups open the program's dialogs; the hidden main window registers itself as the
  // application's main window.
  velomar::ui::UseProgramPopupDialogs();
  m_mainWindow = std::make_unique<CWindowMain>(0, 1);
  const bool created = m_mainWindow->Create(GetInstanceHandle(), 0, 0) != 0;
  m_btMgr.Initialize();
  // The band follows the phone's changes.
  m_phoneMgr.AddStatusListener(&m_bandMgr);
  // The timer-notification targets, in this order; the schedule engine is made here.
  m_mainWindow->AddTimerNotificationListener(&m_phoneMgr);
  m_mainWindow->AddTimerNotificationListener(m_wifiMgr.get());
  m_mainWindow->AddTimerNotificationListener(&m_connectionsMgr);
  m_mainWindow->AddTimerNotificationListener(&m_bandMgr);
  m_mainWindow->AddTimerNotificationListener(&m_speakerMgr);
  m_mainWindow->AddTimerNotificationListener(&m_rilMgr);
  m_mainWindow->AddTimerNotificationListener(&m_btMgr);
  m_mainWindow->AddTimerNotificationListener(CScheduleEngine::GetInstance());
  CMgr::RefreshAll();
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  SetGuiReady();
  return created;
}

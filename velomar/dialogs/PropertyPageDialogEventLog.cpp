#include "velomar/dialogs/PropertyPageDialogEventLog.h"

#include "platform/controls/commctrl.h"
#include "platform/kernel/kernel.h"
#include "platform/text/format.h"
#include "platform/window/window.h"
#include "velomar/dialogs/EventLogDialogs.h"
#include "velomar/dialogs/PageControls.h"
#include "velomar/dialogs/ScreenMode.h"

using namespace velomar::dialogs;

namespace {

constexpr int kList = 1128;
constexpr UINT kMenuKey = 40006;
constexpr UINT kOptionsCommand = 40002;
constexpr UINT kHelpCommand = 40241;
constexpr UINT kClearCommand = 40252;
constexpr UINT kTestCommand = 40250;

// Row backgrounds by level; -1: the list's own colour.
COLORREF LevelColour(int level, bool& known) {
  known = true;
  switch (level) {
    case 0:
    case 1: return 0xFFFFFF;
    case 2: return 0x80FF80;
    case 3: return 0x8080FF;
    case 4: return 0x3232FF;
    default: known = false; return 0;
  }
}

int RecordCount() {
  CEventLog* log = CEventLog::GetInstance();
  return log ? log->GetRecordCount() : 0;
}

}  // namespace

CPropertyPageDialogEventLog::CPropertyPageDialogEventLog(CPropertySheet* owner)
    : CPropertyPage(nullptr, 1133, owner), m_stopTests(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (CEventLog* log = CEventLog::GetInstance()) log->AddListener(this);
}

CPropertyPageDialogEventLog::~CPropertyPageDialogEventLog() {
  if (CEventLog* log = CEventLog::GetExisting()) log->RemoveListener(this);
  SetEvent(m_stopTests);
  std::vector<HANDLE> threads;
  {
    std::lock_guard<std::mutex> lock(m_threadsLock);
    threads.swap(m_testThreads);
  }
  for (HANDLE thread : threads) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  CloseHandle(m_stopTests);
}

UINT CPropertyPageDialogEventLog::GetTemplateId() { return TemplateForScreen(180, 181, 182); }
std::u16string CPropertyPageDialogEventLog::GetTitle() { return Text(u"DIALOG_EVENT_LOG_TITLE"); }

INT_PTR CPropertyPageDialogEventLog::OnInitDialogChild(HWND hwnd, UINT, WPARAM, LPARAM) {
  HWND list = GetDlgItem(hwnd, kList);
  AddListExtendedStyle(list, 0x61);
  InsertListColumn(list, 0, 50, Text(u"DIALOG_EVENT_LOG_LIST_COLUMN_TIME"));
  InsertListColumn(list, 1, 1000, Text(u"DIALOG_EVENT_LOG_LIST_COLUMN_MESSAGE"));
  m_list = list;
  SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(RecordCount()), LVSICF_NOINVALIDATEALL);
  return TRUE;
}

void CPropertyPageDialogEventLog::OnEventLogChanged(int record_count) {
  if (HWND list = m_list.load()) PostMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(record_count), LVSICF_NOSCROLL);
}

INT_PTR CPropertyPageDialogEventLog::OnSetActive() {
  SetSoftKeyText(IDCANCEL, Text(u"CANCEL"));
  SetMenuItem(kMenuKey, 0, kOptionsCommand, Text(u"DIALOG_EVENT_LOG_MENU_OPTIONS"));
  SetMenuItem(kMenuKey, 1, kHelpCommand, Text(u"MENU_HELP_TEXT"));
  SetMenuItem(kMenuKey, 2, kClearCommand, Text(u"DIALOG_EVENT_LOG_LIST_MENU_CLEAR"));
  SetMenuItem(kMenuKey, 3, kTestCommand, Text(u"DIALOG_EVENT_LOG_LIST_MENU_TEST"));
  return TRUE;
}

INT_PTR CPropertyPageDialogEventLog::OnNotifyChild(HWND hwnd, UINT, WPARAM, LPARAM lparam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lparam);
  if (header->idFrom != kList) return FALSE;
  CEventLog* log = CEventLog::GetInstance();
  if (log == nullptr) return FALSE;
  switch (header->code) {
    case LVN_GETDISPINFOW: {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(lparam);
      const int row = info->item.iItem;
      if (row < 0 || row >= log->GetRecordCount()) return FALSE;
      if (info->item.mask & LVIF_IMAGE) info->item.iImage = 0;
      if (info->item.mask & LVIF_TEXT) {
        CEventRecord record;
        std::u16string text = u"***";
        // A copy made under the log's lock: the record may go as soon as the lock is left.
        if (log->GetRecord(row, record)) {
          const SYSTEMTIME& t = record.GetTime();
          text = info->item.iSubItem == 0
                     ? ce::text::Format(u"%02d:%02d:%02d", static_cast<int>(t.wHour), static_cast<int>(t.wMinute),
                                        static_cast<int>(t.wSecond))
                     : record.GetDescription();
        }
        GiveListText(*info, text);
      }
      return FALSE;
    }
    case LVN_ITEMCHANGED: {
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(lparam);
      const UINT wanted = LVIS_FOCUSED | LVIS_SELECTED;
      if ((change->uChanged & LVIF_STATE) && (change->uNewState & wanted) == wanted &&
          (change->uOldState & wanted) != wanted && change->iItem >= 0 && change->iItem < log->GetRecordCount()) {
        HANDLE thread = CreateThread(nullptr, 0, DetailThread, reinterpret_cast<LPVOID>(static_cast<INT_PTR>(change->iItem)), 0, nullptr);
        if (thread) CloseHandle(thread);
      }
      return FALSE;
    }
    case NM_CUSTOMDRAW: {
      auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lparam);
      switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
        case CDDS_ITEMPREPAINT: return AnswerNotify(hwnd, CDRF_NOTIFYSUBITEMDRAW);
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
          CEventRecord record;
          if (!log->GetRecord(static_cast<int>(draw->nmcd.dwItemSpec), record)) return FALSE;
          bool known = false;
          const COLORREF colour = LevelColour(record.GetLevel(), known);
          if (known) draw->clrTextBk = colour;
          return AnswerNotify(hwnd, CDRF_NEWFONT);
        }
        default: return FALSE;
      }
    }
    default: return FALSE;
  }
}

INT_PTR CPropertyPageDialogEventLog::OnCommand(HWND, UINT, WPARAM wparam, LPARAM) {
  switch (LOWORD(wparam)) {
    case kHelpCommand: ShowHelp(); break;
    case IDOK:
    case IDCANCEL: PostOkToSheet(); break;
    case kOptionsCommand: {
      CDialogEventLogOptions options(nullptr, TemplateForScreen(186, 188, 187));
      options.DoModal();
      break;
    }
    case kClearCommand:
      if (CEventLog* log = CEventLog::GetInstance()) log->Clear();
      break;
    case kTestCommand: {
      HANDLE thread = CreateThread(nullptr, 0, TestEventsThread, this, 0, nullptr);
      if (thread) {
        std::lock_guard<std::mutex> lock(m_threadsLock);
        m_testThreads.push_back(thread);
      }
      break;
    }
    default: break;
  }
  return TRUE;
}

DWORD CPropertyPageDialogEventLog::DetailThread(LPVOID parameter) {
  const int index = static_cast<int>(reinterpret_cast<INT_PTR>(parameter));
  CDialogEventLogDetail detail(nullptr, TemplateForScreen(189, 190, 191), index);
  detail.DoModal();
  return 0;
}

DWORD CPropertyPageDialogEventLog::TestEventsThread(LPVOID parameter) {
  auto* page = static_cast<CPropertyPageDialogEventLog*>(parameter);
  for (int i = 0; i < 20; ++i) {
    const std::u16string number = ce::text::Format(u"%d", i);
    CEventLog::AddEvent(0, 1, u"test", number.c_str());
    // One every half second; the page's end stops the rest.
    if (WaitForSingleObject(page->m_stopTests, 500) == WAIT_OBJECT_0) break;
  }
  return 0;
}

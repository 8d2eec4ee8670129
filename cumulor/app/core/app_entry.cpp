// WinMain, the window class and window, the initialisation before the window, and the shutdown.
#include "cumulor/app/core/app_entry.h"

#include <cstring>
#include <mutex>
#include <new>

#include "cumulor/app/core/main_window.h"
#include "cumulor/app/core/map_layers_link.h"
#include "cumulor/data/aero/visible_data.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/map/browser_frame/waypoint_module.h"
#include "cumulor/app/core/menu_hooks.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/data/dialogs/point_icons.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/symbols/map_symbols.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/recorder/recorder_hooks.h"
#include "cumulor/nav/geo/coordinate_text.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/igc/igc_log.h"
#include "cumulor/app/base/file_access.h"
#include "platform/devicelibs/ceshell.h"
#include "platform/files/copy_leftovers.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/system_info.h"
#include "platform/libraries/libraries.h"
#include "cumulor/app/core/stats_link.h"
#include "cumulor/app/core/task_document.h"
#include "cumulor/app/core/task_link.h"
#include "cumulor/app/core/notices.h"
#include "cumulor/app/core/airspace_link.h"
#include "cumulor/data/airspace/airspace_switchoff.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/app/core/navbox_link.h"
#include "cumulor/app/core/team_link.h"
#include "cumulor/map/team/team_dialogs.h"
#include "platform/registry/registry.h"
#include "platform/resources/resources.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

WCHAR g_title[MAX_PATH] = u"Cumulor";
HINSTANCE g_instance = nullptr;

std::mutex& HookLock() {
  static std::mutex lock;
  return lock;
}
std::function<void(AppContext&)>& Hook() {
  static std::function<void(AppContext&)> hook;
  return hook;
}

constexpr const WCHAR* kSettingsKey = u"Software\\Halcyra\\Cumulor";

// Opens the program's key with full access, else creates it; null when neither works.
HKEY OpenProgramKey() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) return key;
  DWORD disposition = 0;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      &disposition) == ERROR_SUCCESS)
    return key;
  return nullptr;
}

void SetTodayItemEnabled(const WCHAR* name, DWORD enabled, bool* opened) {
  HKEY key = nullptr;
  *opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, name, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS;
  if (!*opened) return;
  RegSetValueExW(key, u"Enabled", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enabled), sizeof(enabled));
  RegCloseKey(key);
}

template <std::size_t N>
void CopyField(char (&field)[N], const char* text) {
  std::size_t i = 0;
  for (; i + 1 < N && text[i]; ++i) field[i] = text[i];
  field[i] = 0;
}

}  // namespace

WCHAR* MainTitle() { return g_title; }

void SetStartupDoneHook(std::function<void(AppContext&)> hook) {
  std::lock_guard lock(HookLock());
  Hook() = std::move(hook);
}

void RunStartupDoneHook(AppContext& app) {
  std::function<void(AppContext&)> hook;
  {
    std::lock_guard lock(HookLock());
    hook = Hook();
  }
  if (hook) hook(app);
}

void ScanCommandLine(const WCHAR* commandLine, std::int32_t& simulator, std::uint8_t& noChooser) {
  simulator = 0;
  noChooser = 0;
  for (const WCHAR* p = commandLine; p && *p; ++p) {
    if (*p == u's') simulator = 1;
    if (*p == u'x') noChooser = 1;
  }
}

int WinMain(HINSTANCE instance, HINSTANCE, const WCHAR* commandLine, int) {
  // The running instance is found by its class alone: its title changes during a flight replay.
  if (HWND running = FindWindowW(kMainClass, nullptr)) {
    SetForegroundWindow(running);
    return 0;
  }
  std::int32_t simulator = 0;
  std::uint8_t noChooser = 0;
  ScanCommandLine(commandLine, simulator, noChooser);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);

  auto* app = new (std::nothrow) AppContext;
  if (!app) {
    AppRecord() = nullptr;
    return 0;
  }
  AppContextInit(app, simulator, noChooser);
  AppRecord() = app;
  int result = 0;
  if (InitInstance(*app, instance)) {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) == 1) DispatchMessageW(&msg);
    result = static_cast<int>(msg.wParam);
  }
  AppContextFree(app);
  AppRecord() = nullptr;
  delete app;
  UnregisterClassW(kMainClass, instance);
  return result;
}

int InitInstance(AppContext& app, HINSTANCE instance) {
  UINT messageId = 0;
  if (FAILED(AppInit(app, instance, &messageId))) {
    WCHAR text[512] = {};
    LoadStringW(instance, messageId, text, 512);
    MessageBoxOk(text);
    return 0;
  }
  g_instance = instance;
  WNDCLASSW wc{};
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kMainClass;
  if (!RegisterClassW(&wc)) return 0;
  const ScreenLayout& layout = Layout();
  HWND window = CreateWindowExW(0, kMainClass, g_title, WS_VISIBLE, 0, 0, layout.desktopWidth, layout.desktopHeight,
                                nullptr, nullptr, instance, nullptr);
  if (IsWindow(window) != 1) return 0;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  return 1;
}

HRESULT AppInit(AppContext& app, HINSTANCE instance, UINT* messageId) {
  *messageId = 49;
  std::memset(app.scratchText, 0, sizeof(app.scratchText));
  GetDesktopRect();
  app.mapRect = Layout().clientRect;
  MapSetScreenRect(app.map, app.mapRect);

  // Data folder: the personal documents folder.
  WCHAR dataFolder[MAX_PATH] = {};
  LPITEMIDLIST list = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, 5, &list)) && list) {
    SHGetPathFromIDList(list, dataFolder);
    IMalloc* malloc = nullptr;
    if (SUCCEEDED(SHGetMalloc(&malloc)) && malloc) {
      malloc->Free(list);
      malloc->Release();
    }
  }
  const bool german = dataFolder[0] && dataFolder[1] == u'E' && dataFolder[2] == u'i';
  const WCHAR* card = german ? u"\\Speicherkarte" : u"\\Storage Card";
  std::memset(app.cardFolder, 0, sizeof(app.cardFolder));
  for (int i = 0; card[i]; ++i) app.cardFolder[i] = card[i];

  // The program folder; on an ARM720 the documents lie beside the program.
  WCHAR programFolder[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, programFolder, MAX_PATH);
  StripFileName(programFolder);
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  app.dataFolder.Set(info.dwProcessorType == PROCESSOR_ARM720 ? programFolder : dataFolder);
  // Data-file entries without a folder of their own live in the data folder.
  SetDataFilesFolder(info.dwProcessorType == PROCESSOR_ARM720 ? programFolder : dataFolder);
  // Copies a kill cut short in the folders the program copies into (documents' ".old" copies, the
  // "_OLD" waypoint files at the root).
  ce::files::RemoveAbandonedCopies(app.dataFolder.Get());
  ce::files::RemoveAbandonedCopies(u"\\");
  // Documents a kill cut short while they were written aside (the settings and profiles, the user
  // waypoints, the task export at the root).
  detail::RemoveUnfinishedDocuments(app.dataFolder.Get().c_str());
  detail::RemoveUnfinishedDocuments(u"\\");

  app.instance = instance;
  SetUiInstance(instance);
  FlightStateDefaults(app.flight);

  // The other flight program's Today item off and ours on, only when the other one is registered.
  bool opened = false;
  SetTodayItemEnabled(u"SOFTWARE\\Microsoft\\Today\\Items\\\"SeeYou Mobile\"", 0, &opened);
  if (opened) SetTodayItemEnabled(u"SOFTWARE\\Microsoft\\Today\\Items\\Cumulor", 1, &opened);

  if (HKEY key = OpenProgramKey()) {
    AirspaceDisabledLoad(app.airspace, key);
    LoadScreenRect(key);
    RegCloseKey(key);
  }
  TrailInit();
  CreateMapPens();
  MapSymbolsInit(IsLargeScreen());
  MapSymbolsAttachView(&app.map);
  InstallTaskHooks();
  InstallTeamHooks();
  InstallMenuHooks();
  InstallNavBoxHooks(app);
  InstallDocumentHooks(app);
  InstallStatsHooks();
  InstallRecorderHooks();
  TaskRulesDefaults();
  InstallAirspaceUi(app);
  InstallNotices(app);
  if (FAILED(AirspaceAllocClassArrays(app.airspace, 16))) {
    *messageId = 51;
    return E_FAIL;
  }
  FixBufferReserve(app.gps, app.fixHistoryCount);
  return S_OK;
}

int LoadDeclaration(AppContext& app, const XmlNode& node) {
  IgcDeclaration& d = app.declaration;
  struct Field {
    const char* name;
    char* field;
    std::size_t size;
  };
  const Field fields[] = {{"Pilot", d.pilot, sizeof(d.pilot)},
                          {"Registration", d.registration, sizeof(d.registration)},
                          {"Type", d.gliderType, sizeof(d.gliderType)},
                          {"Class", d.competitionClass, sizeof(d.competitionClass)},
                          {"CompId", d.competitionId, sizeof(d.competitionId)}};
  for (const Field& f : fields) {
    const XmlNode* child = node.FindChild(f.name);
    const char* text = child ? child->GetText() : nullptr;
    if (!text) continue;
    std::size_t i = 0;
    for (; i + 1 < f.size && text[i]; ++i) f.field[i] = text[i];
    f.field[i] = 0;
  }
  return 0;
}

void OnDestroy(AppContext& app) {
  SetEvent(app.abortEvent);
  app.stopFlag = 1;
  app.dialogActive = 1;
  if (SUCCEEDED(GpsStop(app.gps))) GpsPortClose(app.gps);
  IgcLogClose(app);
  // The saved settings hold the home point as the map's position.
  if (PointRefIsValid(PointRef{HomePoint().kind, HomePoint().index})) app.mapCentre = PointRefPosition(HomePoint());
  SaveTasksFile(app, nullptr);
  SaveSettingsFile(app, nullptr, nullptr);
  ShutdownWaypointModule();
  AeroDbFreeVisible(FrameVisible());
  TrailTerm();
  GridTerm();
  if (HKEY key = OpenProgramKey()) {
    SaveScreenRect(key);
    AirspaceDisabledSave(app.airspace, key);
    RegCloseKey(key);
  }
  MainWindowFreeScreen(app);
  FreeWaypointIcons();
}

}  // namespace cumulor

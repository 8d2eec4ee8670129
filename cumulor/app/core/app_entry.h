// The flight computer's entry and lifetime: WinMain with its single-instance rule and command-line
// letters, the application record's construction and teardown, the initialisation before the
// window exists, the window class and window, and the shutdown when the window is destroyed.
#pragma once

#include <functional>

#include "cumulor/app/app_context.h"
#include "cumulor/app/base/xml_node.h"
#include "platform/base/types.h"

namespace cumulor {

inline constexpr const WCHAR* kMainClass = u"Cumulor";

// The manual-reset event set first at shutdown; every message-pumping wait then returns E_ABORT.
HANDLE AbortEvent();
// The main window's title buffer ("Cumulor"); another module may change it while a flight runs.
WCHAR* MainTitle();

// Returns the last message's wParam, or 0 when another instance runs or start-up fails.
int WinMain(HINSTANCE instance, HINSTANCE previous, const WCHAR* commandLine, int show);
// The simulator ('s') and no-chooser ('x') letters of a command line (lower case, anywhere).
void ScanCommandLine(const WCHAR* commandLine, std::int32_t& simulator, std::uint8_t& noChooser);

// Builds the record in place (sub-records in order, scalars, drawing objects, the abort event, the
// units, the two locks); AppContextFree tears it down (the storage is the caller's).
AppContext* AppContextInit(AppContext* app, std::int32_t simulator, std::uint8_t noChooser);
void AppContextFree(AppContext* app);

// 1 when the window exists, else 0 (an AppInit failure shows its string-table text first).
int InitInstance(AppContext& app, HINSTANCE instance);
// S_OK, or E_FAIL with the string-table id of the failure text in messageId.
HRESULT AppInit(AppContext& app, HINSTANCE instance, UINT* messageId);
// The shutdown sequence of WM_DESTROY.
void OnDestroy(AppContext& app);
// Reads the declaration children of a settings node ("Pilot", "Registration", "Type", "Class",
// "CompId"), each cut to its field; always 0.
int LoadDeclaration(AppContext& app, const XmlNode& node);

// Called on the UI thread when the start-up's last command (40028) has run; the program uses it
// for its screenshot. Empty: nothing.
void SetStartupDoneHook(std::function<void(AppContext&)> hook);
void RunStartupDoneHook(AppContext& app);

}  // namespace cumulor

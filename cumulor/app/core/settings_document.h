// The settings document "\KV_SETTINGS.xml": its elements in their writing order, the four load
// modes, the option words "Flags1" to "Flags3" and the start-up merge of the install documents.
//
// Elements owned by other modules are written and read through those modules. The settings that
// have no owning module yet are kept here (SettingsKept) and written back as they were read;
// the element of a module not built yet ("Grid") is kept as a copied element.
#pragma once

#include <cstdint>
#include <memory>

#include "cumulor/app/app_context.h"
#include "cumulor/app/base/xml_node.h"
#include "cumulor/data/task/task_point.h"

namespace cumulor {

// The document modes of the settings reader.
inline constexpr std::int32_t kSettingsMain = 1;
inline constexpr std::int32_t kSettingsDesktop = 2;
inline constexpr std::int32_t kSettingsProfile = 3;
inline constexpr std::int32_t kSettingsInstall = 4;

// Settings held by the settings document itself.
struct SettingsKept {
  std::int32_t showWord = 0;               // "Flags_Show" as last read; bits 0..3 are the tables'
  BYTE disabledSuas[16] = {};
  BYTE defaultHome[192] = {};
  BYTE finalGlide[112] = {};
  BYTE gridTeam[64] = {};
  std::int32_t browserCategory = 1;
  std::int32_t coneEnabled = 0;
  std::int32_t coneSerial = 0;
  std::int32_t mapOrientation = 1;         // 1 north up, 2 track up, 3 goal up
  std::int32_t labelLength = 0;
  std::int32_t magBias = 0;
  TaskPoint radialPoint;                   // the radial reference point
  std::unique_ptr<XmlNode> keptHome;       // the last "Home" turnpoint element read
  // Options of the option words without an owning record yet: bit b of word w (1..3) set when
  // the option is on (inverted bits included: the bit here is the option, not the stored bit).
  std::uint32_t options[4] = {};
  std::int32_t unitField = 1;              // Flags2 bit 12: 8 or 1
  std::int32_t mapMode = 0;                // Flags3 bit 6: 1 or 0
  // Elements of modules not built yet, written back as read (null: not written).
  std::unique_ptr<XmlNode> grid;
};
SettingsKept& KeptSettings();
// Back to the start values (tests and a fresh start); the task lists' columns too.
void ResetKeptSettings();

// Applies one option word (1..3) bit by bit; other word numbers change nothing.
void UnpackOptionFlags(AppContext& app, std::int32_t word, std::int32_t value);
// The option word (1..3) built from the current options.
std::int32_t PackOptionFlags(const AppContext& app, std::int32_t word);

// Appends "Settings" with elements 1 to 19, then SaveProfileSettings for the rest.
void BuildSettingsDocument(AppContext& app, XmlNode& root);
void SaveProfileSettings(AppContext& app, XmlNode& settings);

// Applies a document element in a load mode (kSettingsMain .. kSettingsInstall). Elements that do
// not parse, lie outside their accepted values or are skipped by the mode leave their setting as
// it is; the module steps after the last child always run. 1.
std::int32_t ApplySettingsDocument(AppContext& app, const XmlNode& element, std::int32_t mode);

// 0 applied, 2 file missing or empty, 11 syntax error or no document element.
std::int32_t LoadSettingsFile(AppContext& app, const WCHAR* path, std::int32_t mode);
// Writes the document to path, or to "\KV_SETTINGS.xml" in the data folder when path is null,
// with an optional profile name. 1 written; 0 when it could not be written whole (the previous
// file then stays as it was).
std::int32_t SaveSettingsFile(AppContext& app, const WCHAR* path, const char* profileName);

// Start-up: the main document, then the two install documents (each deleted once it existed,
// parsed or not; after the first the home point is looked up again in the installed data); the
// task document and the desktop's task file; the navigation target on the active task's first
// point; the first airport as home when there is none; in the simulator the glider placed near
// home (position receives the home position; with setTarget home becomes the target).
void LoadAllSettings(AppContext& app, GeoPoint* position = nullptr, bool setTarget = false);

}  // namespace cumulor

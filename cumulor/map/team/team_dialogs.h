// The team grid's window side: the code entry dialog (template 149), the team set-up dialog (190),
// the team marks on the map, the team-mark commands and the "Grid" settings element with the mark
// icon (211).
#pragma once

#include <cstdint>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/map/view/map_view.h"
#include "platform/base/types.h"

namespace cumulor {

class XmlNode;

inline constexpr int kCodeEntryTemplate = 149;
inline constexpr int kTeamSetupTemplate = 190;
inline constexpr int kTeamMarkIcon = 211;

// Code entry (149) controls.
inline constexpr int kIdCodeTitle = 1400;
inline constexpr int kIdCodeText = 1401;
inline constexpr int kIdCodeKeyFirst = 1402;  // .. 1409: "A".."H" or "1".."8"
inline constexpr int kIdCodeBackspace = 1410;
// Team set-up (190) controls.
inline constexpr int kIdTeamSwitch = 1420;
inline constexpr int kIdTeamList = 1421;
inline constexpr int kIdTeamHint = 1422;
inline constexpr int kIdTeamGliderFirst = 1423;  // .. 1425
inline constexpr int kIdTeamCodeFirst = 1426;    // .. 1428
inline constexpr int kIdTeamOwnCode = 1429;

// What the dialogs need of the program: the map position and a move of the map to a position.
struct TeamMapLink {
  GeoPoint (*mapPosition)() = nullptr;
  void (*panTo)(const GeoPoint& position) = nullptr;
};
void SetTeamMapLink(const TeamMapLink& link);

// Loads the mark icon and reads "Grid" (1 when the element exists, else 0).
std::int32_t GridLoad(const XmlNode& settings);
void GridSave(XmlNode& settings);
void GridTerm();

// Each mark in use, in slot order: a circle, the icon and the glider id beside it.
void TeamMarksDraw(MapView& view, HDC dc);

// The code entry for one slot: 1 on OK, -1 on Cancel or when it cannot be shown.
INT_PTR GridDialog(std::int32_t slot, HWND parent);
INT_PTR CodeEntryProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// The team set-up: 1 on OK, 0 on Cancel, -1 when it cannot be shown.
INT_PTR TeamDialog(HWND parent);
INT_PTR TeamSetupProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// A team-mark command for slot 0..2: true when the slot is in use and its code entry ran; false
// for a free slot, which the caller answers with the team set-up.
bool TeamMarkCommand(std::int32_t slot, HWND parent);

}  // namespace cumulor

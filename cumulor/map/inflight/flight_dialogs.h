// The polar dialog (template 121, command 40114) and the wind and altimeter dialog (117, command
// 40115): they show and change the flight state of the application record by parameter id, with
// the spin buttons of the flight state. The current wind estimate and the ETA speed fallback live
// here too.
#pragma once

#include <cstdint>

#include "platform/base/types.h"

namespace cumulor {

struct AppContext;

inline constexpr int kPolarDialog = 121;
inline constexpr int kWindDialog = 117;

// Dialog 121.
inline constexpr int kIdPolarFile = 1158;
inline constexpr int kIdPolarNew = 1159;
inline constexpr int kIdMaxGlide = 1161;

// Dialog 117.
inline constexpr int kIdStepPlus = 1000;
inline constexpr int kIdStepPlusFast = 1001;
inline constexpr int kIdStepMinus = 1002;
inline constexpr int kIdStepMinusFast = 1003;
inline constexpr int kIdQnhReset = 1006;
inline constexpr int kIdCopyEstimate = 1007;
inline constexpr int kIdQnhLabel = 1084;
inline constexpr int kIdWindTitle = 1110;
inline constexpr int kIdEstimateAge = 1113;
inline constexpr int kIdEstimate = 1114;
inline constexpr int kIdAutoWind = 1126;
inline constexpr int kIdQneLabel = 1465;
inline constexpr int kIdTitleOkIcon = 1355;

INT_PTR PolarDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR WindDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The newest wind estimate of the wind history: direction, speed in the speed unit (km/h, or
// knots when the speed unit is 4) and its tick count. False when there is none.
bool GetCurrentWind(const AppContext& app, std::int32_t& direction, double& speed, std::uint32_t& tick);

// The ETA speed when none is set: the task speed so far, else the ground speed, else 100 km/h
// (all in m/s). A set speed is returned as it is.
double EtaSpeedFallback(double etaSpeed, double taskSpeed, double groundSpeedKmh);
// Fills a zero ETA speed of the record (any ETA mode) from the statistics and the newest fix.
void EnsureEtaSpeed(AppContext& app);

}  // namespace cumulor

// Circling detection and wind estimation from the ground-velocity vectors of a circling glider.
//
// While the glider circles its ground velocity turns through a circle whose centre is the wind
// vector and whose radius is the airspeed. Three vectors from the last seven fixes give a circle;
// its centre is smoothed over the circling phase and reported once three samplings (one every
// twelve fixes) have been taken.
#pragma once

#include <cstdint>

#include "cumulor/nav/gps/gps_fix.h"

namespace cumulor {

struct WindVector {
  double speed = 0.0;
  std::int16_t direction = 0;  // whole degrees the wind comes from, 0..359
};

// x east, y north, in the speed's unit. The vector points where the air moves to.
struct WindComponents {
  double x = 0.0;
  double y = 0.0;
};

// Turn state of the climb history: smoothed turn per fix, signed and absolute, in degrees.
struct TurnState {
  double signedTurn = 0.0;
  double absoluteTurn = 0.0;
  std::int32_t smoothingMs = 15000;
  std::int32_t lastTrack = 0;  // whole degrees
};

// The wind reported for a fix.
struct WindResult {
  std::uint32_t time = 0;             // the fix's time of day
  std::int16_t pressureAltitude = 0;  // metres
  std::int16_t direction = 0;         // degrees the wind comes from
  float speed = 0.0f;                 // km/h
};

// The estimator's state; the application core keeps one, fed once per fix on the notify thread.
struct WindEstimator {
  WindComponents ring[7];             // ground velocities, newest first (knots)
  std::int32_t weightMs = 0;          // 0..360000
  WindComponents wind;                // smoothed
  WindComponents deviation;           // smoothed deviation of the fits
  std::int32_t estimateCounter = -1;  // -1 while not circling
  std::uint32_t callCounter = 0;
  WindComponents history[3];  // smoothed winds, newest first
};

// a + (i / n) x b rounded through single precision while i < n, else a + b.
double Interpolate(double a, double b, std::int32_t i, std::int32_t n);

WindComponents WindToComponents(double speed, double directionDegrees);
WindVector WindFromComponents(double x, double y);

// 1 when the smoothed absolute turn exceeds 6 degrees per fix. `elapsedMs` is the time since the
// previous fix (negative counts as 0); leftTurn is set when the smoothed turn is anticlockwise.
int DetectCircling(TurnState& turn, std::int32_t track, std::int32_t elapsedMs, std::uint8_t& leftTurn);

// Once per fix after DetectCircling, with the circling flag it returned. 1 when a wind is reported
// in `result`.
int EstimateWind(WindEstimator& est, bool circling, const GpsFix& fix, WindResult& result, std::uint32_t time,
                 std::int32_t elapsedMs);

}  // namespace cumulor

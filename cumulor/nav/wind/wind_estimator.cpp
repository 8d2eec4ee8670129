#include "cumulor/nav/wind/wind_estimator.h"

#include <cmath>

namespace cumulor {
namespace {

// Airspeeds a fitted circle may have: strictly between 60 and 180 km/h, in knots.
constexpr double kMinAirspeedKn = 32.39740753173828;
constexpr double kMaxAirspeedKn = 97.19222259521484;
constexpr std::int32_t kMaxWeightMs = 360000;

void ClearRing(WindEstimator& est) {
  for (WindComponents& v : est.ring) v = WindComponents{};
}

// The circle through three ground velocities: -2 x a - 2 y b + k = -(x^2 + y^2) for each. False
// when the three are on one line (no circle) or the result is not finite.
bool FitCircle(const WindComponents& p0, const WindComponents& p1, const WindComponents& p2, double& a, double& b,
               double& r) {
  const double m[3][3] = {{-2 * p0.x, -2 * p0.y, 1}, {-2 * p1.x, -2 * p1.y, 1}, {-2 * p2.x, -2 * p2.y, 1}};
  const double rhs[3] = {-(p0.x * p0.x + p0.y * p0.y), -(p1.x * p1.x + p1.y * p1.y), -(p2.x * p2.x + p2.y * p2.y)};
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  if (det == 0.0 || !std::isfinite(det)) return false;
  // Cramer's rule, column by column.
  auto solve = [&](int column) {
    double c[3][3];
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) c[i][j] = j == column ? rhs[i] : m[i][j];
    }
    return (c[0][0] * (c[1][1] * c[2][2] - c[1][2] * c[2][1]) - c[0][1] * (c[1][0] * c[2][2] - c[1][2] * c[2][0]) +
            c[0][2] * (c[1][0] * c[2][1] - c[1][1] * c[2][0])) /
           det;
  };
  a = solve(0);
  b = solve(1);
  const double k = solve(2);
  r = std::sqrt(a * a + b * b - k);
  return std::isfinite(a) && std::isfinite(b) && std::isfinite(r);
}

void FitStep(WindEstimator& est, double groundSpeed, double track, std::int32_t elapsedMs) {
  if (groundSpeed == 0.0) {
    ClearRing(est);
    est.weightMs = 0;
    return;
  }
  if (est.estimateCounter == -1) {
    ClearRing(est);
    est.estimateCounter = 0;
  } else {
    for (int i = 6; i > 0; --i) est.ring[i] = est.ring[i - 1];
  }
  est.ring[0] = WindToComponents(groundSpeed, track);
  if (est.weightMs < kMaxWeightMs) est.weightMs += 500;
  if (est.ring[6].x == 0.0 || est.ring[6].y == 0.0) return;

  double a = 0, b = 0, r = 0;
  if (!FitCircle(est.ring[0], est.ring[3], est.ring[6], a, b, r)) return;
  if (!(r > kMinAirspeedKn && r < kMaxAirspeedKn)) return;

  const WindComponents d{a - est.wind.x, b - est.wind.y};
  est.wind.x = Interpolate(est.wind.x, d.x, elapsedMs, est.weightMs);
  est.wind.y = Interpolate(est.wind.y, d.y, elapsedMs, est.weightMs);
  est.deviation.x = Interpolate(est.deviation.x, d.x - est.deviation.x, elapsedMs, 60000);
  est.deviation.y = Interpolate(est.deviation.y, d.y - est.deviation.y, elapsedMs, 60000);
}

}  // namespace

double Interpolate(double a, double b, std::int32_t i, std::int32_t n) {
  if (i < n) return static_cast<float>(a + static_cast<double>(i) / n * b);
  return a + b;
}

WindComponents WindToComponents(double speed, double directionDegrees) {
  const float radians = static_cast<float>(directionDegrees) * 0.017453292f;
  return WindComponents{std::sin(static_cast<double>(radians)) * speed, std::cos(static_cast<double>(radians)) * speed};
}

WindVector WindFromComponents(double x, double y) {
  WindVector w;
  w.speed = std::sqrt(x * x + y * y);
  std::int32_t direction = static_cast<std::int32_t>(std::atan2(-x, -y) / 0.01745329238474369);
  if (direction < 0) direction += 360;
  w.direction = static_cast<std::int16_t>(direction);
  return w;
}

int DetectCircling(TurnState& turn, std::int32_t track, std::int32_t elapsedMs, std::uint8_t& leftTurn) {
  if (elapsedMs < 0) elapsedMs = 0;
  std::int32_t d = track - turn.lastTrack;
  if (d > 180) {
    d -= 360;
  } else if (d < -180) {
    d += 360;
  }
  turn.lastTrack = track;
  turn.signedTurn = Interpolate(turn.signedTurn, d - turn.signedTurn, 1, 3);
  leftTurn = turn.signedTurn < 0 ? 1 : 0;
  turn.absoluteTurn = Interpolate(turn.absoluteTurn, std::abs(d) - turn.absoluteTurn, elapsedMs, turn.smoothingMs);
  return turn.absoluteTurn > 6.0 ? 1 : 0;
}

int EstimateWind(WindEstimator& est, bool circling, const GpsFix& fix, WindResult& result, std::uint32_t time,
                 std::int32_t elapsedMs) {
  if (!circling) {
    est.estimateCounter = -1;
    return 0;
  }
  if (elapsedMs < 0) elapsedMs = 0;
  FitStep(est, fix.groundSpeed, fix.track, elapsedMs);

  est.history[0] = est.wind;
  if (est.callCounter % 12 == 0) {
    ++est.estimateCounter;
    est.history[2] = est.history[1];
    est.history[1] = est.history[0];
  }
  ++est.callCounter;

  if (est.estimateCounter < 3) return 0;
  const WindVector w = WindFromComponents(est.history[2].x, est.history[2].y);
  result.time = time;
  result.pressureAltitude = fix.pressureAltitude;
  result.direction = w.direction;
  result.speed = static_cast<float>(w.speed * 1.852);
  return 1;
}

}  // namespace cumulor

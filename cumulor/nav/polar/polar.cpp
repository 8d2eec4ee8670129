#include "cumulor/nav/polar/polar.h"

#include <cmath>
#include <cstring>
#include <string>

#include "platform/text/scan.h"

namespace cumulor {
namespace {

constexpr double kKmhToMs = 0.2777777777777778;

bool UsableSpeedAndSink(double speed, double sink) {
  return std::isfinite(speed) && speed > 0.0 && std::isfinite(sink) && sink < 0.0;
}

// Stores entry values the way the dialogs hold them: speeds truncated to whole km/h, sinks in
// hundredths of m/s (the product taken in single precision, so -0.69 gives -69).
void ApplyPoints(FlightState& fs, float mass, float water, const float speed[3], const float sink[3]) {
  SetFlightParameter(fs, kParamMass, static_cast<std::int32_t>(mass));
  SetFlightParameter(fs, kParamWater, static_cast<std::int32_t>(water));
  SetFlightParameter(fs, kParamSpeed1, static_cast<std::int32_t>(static_cast<std::uint32_t>(speed[0])));
  SetFlightParameter(fs, kParamSpeed2, static_cast<std::int32_t>(static_cast<std::uint32_t>(speed[1])));
  SetFlightParameter(fs, kParamSpeed3, static_cast<std::int32_t>(static_cast<std::uint32_t>(speed[2])));
  SetFlightParameter(fs, kParamSink1, static_cast<std::int32_t>(sink[0] * 100.0f));
  SetFlightParameter(fs, kParamSink2, static_cast<std::int32_t>(sink[1] * 100.0f));
  SetFlightParameter(fs, kParamSink3, static_cast<std::int32_t>(sink[2] * 100.0f));
  SetFlightParameter(fs, kParamMacCready, 0);
}

PolarPoints PointsOf(const FlightState& fs) {
  return PolarPoints{{fs.speed1, fs.speed2, fs.speed3}, {fs.sink1, fs.sink2, fs.sink3}, fs.mass, fs.water};
}

}  // namespace

std::optional<PolarFit> FitPolar(const PolarPoints& p, std::int32_t bugs, std::int32_t waterFill) {
  if (p.mass < 1) return std::nullopt;
  const std::int64_t v1 = p.speed[0], v2 = p.speed[1], v3 = p.speed[2];
  const double w1 = p.sink[0] * 0.036, w2 = p.sink[1] * 0.036, w3 = p.sink[2] * 0.036;
  const double s = std::sqrt((p.water * waterFill * 0.1 + p.mass) / p.mass);

  const std::int64_t d = (v1 - v2) * v3 * v3 + v1 * v1 * (v2 - v3) + (v3 - v1) * v2 * v2;
  if (d == 0 || v2 == v3) return std::nullopt;
  const double a =
      ((w1 - w3) * static_cast<double>(v2 - v3) + static_cast<double>(v3 - v1) * (w2 - w3)) / static_cast<double>(d);
  const double b = ((w2 - w3) - static_cast<double>(v2 * v2 - v3 * v3) * a) / static_cast<double>(v2 - v3);
  const double c = w3 - a * static_cast<double>(v3 * v3) - b * static_cast<double>(v3);

  const double dirt = 100 - bugs;
  PolarFit fit{};
  fit.a = a / s / (1 - dirt * 0.006666666666666667);
  fit.b = b;
  fit.c = c / (1 - dirt * 0.0025) * s;
  if (!std::isfinite(fit.a) || !(fit.a < 0.0) || !std::isfinite(fit.b) || !std::isfinite(fit.c)) return std::nullopt;

  for (int k = 0; k < kStfTableSize; ++k) {
    const double m = k * 3.6;
    const double v = std::sqrt((fit.c - m) / fit.a);
    fit.stfSink[k] = ((fit.a * v + fit.b) * v + fit.c) * kKmhToMs;
    fit.stfSpeed[k] = v * kKmhToMs;
    if (!UsableSpeedAndSink(fit.stfSpeed[k], fit.stfSink[k])) return std::nullopt;
  }
  const double best = fit.stfSpeed[0] / fit.stfSink[0] * -100.0;
  if (!(best < 2147483647.0)) return std::nullopt;
  fit.bestGlide100 = static_cast<std::int32_t>(best);
  return fit;
}

bool ComputePolar(FlightState& fs) {
  fs.windDirectionRad = fs.windDirection * 0.01745329251994328;
  fs.windSpeedMs = fs.windSpeed * 0.2777777777777778;

  const std::optional<PolarFit> fit = FitPolar(PointsOf(fs), fs.bugs, fs.waterFill);
  if (!fit) return false;

  const double m = fs.macCready * 3.6;
  const double v = std::sqrt((fit->c - m) / fit->a);
  const double sink = ((fit->a * v + fit->b) * v + fit->c) * kKmhToMs;
  const double speed = v * kKmhToMs;
  // A MacCready value beyond the polar's reach is refused like an unusable polar.
  if (!UsableSpeedAndSink(speed, sink) || !(v < 2147483647.0)) return false;

  fs.a = fit->a;
  fs.b = fit->b;
  fs.c = fit->c;
  for (int k = 0; k < kStfTableSize; ++k) {
    fs.stfSpeed[k] = fit->stfSpeed[k];
    fs.stfSink[k] = fit->stfSink[k];
  }
  fs.bestGlide100 = fit->bestGlide100;
  fs.stfSpeedNow = speed;
  fs.stfSpeedNowKmh = static_cast<std::int32_t>(v);
  fs.sinkNow = sink;
  fs.glideRatio = static_cast<float>(-speed / sink);
  const double den = 2 * m - 2 * fit->c - fit->b * v;
  fs.averageSpeed = den == 0.0 ? 0.0 : v * m / (den * 3.6);
  return true;
}

int LoadBuiltinPolar(FlightState& fs, const WCHAR* name) {
  std::size_t index = 0;
  if (name != nullptr) {
    std::string narrow;
    for (const WCHAR* p = name; *p != 0; ++p) narrow.push_back(static_cast<char>(*p & 0xFF));
    index = BuiltinPolarCount;
    for (std::size_t i = 0; i < BuiltinPolarCount; ++i) {
      if (narrow == BuiltinPolars[i].name) {
        index = i;
        break;
      }
    }
    if (index == BuiltinPolarCount) return 0;
  }
  const PolarEntry& e = BuiltinPolars[index];
  ApplyPoints(fs, static_cast<float>(e.mass), static_cast<float>(e.water), e.speed, e.sink);
  return 1;
}

bool ListBuiltinPolars(DynArray<PolarListItem>& list) {
  list.Init();
  for (std::size_t i = 0; i < BuiltinPolarCount; ++i) {
    PolarListItem item{};
    const char* name = BuiltinPolars[i].name;
    for (std::size_t k = 0; k + 1 < 62 && name[k] != '\0'; ++k) item.name[k] = static_cast<unsigned char>(name[k]);
    item.index = static_cast<std::uint16_t>(i);
    if (list.Append(item) != S_OK) return false;
  }
  return true;
}

std::optional<PolarFileValues> ParsePolarText(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    // One line as a 512-byte line reader returns it: at most 511 characters.
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::size_t lineEnd = end;
    if (lineEnd - pos > 511) lineEnd = pos + 511;
    const std::string line(text.substr(pos, lineEnd - pos));
    pos = lineEnd == end ? end + 1 : lineEnd;
    if (!line.empty() && line[0] == '*') continue;

    PolarFileValues v{};
    if (sscanf(line.c_str(), "%f,%f,%f,%f,%f,%f,%f,%f", &v.mass, &v.water, &v.speed[0], &v.sink[0], &v.speed[1],
               &v.sink[1], &v.speed[2], &v.sink[2]) != 8) {
      return std::nullopt;
    }
    if (!(v.mass >= 1.0f && v.mass <= 2000.0f) || !(v.water >= 0.0f && v.water <= 500.0f)) return std::nullopt;
    for (int i = 0; i < 3; ++i) {
      if (!(v.speed[i] >= 10.0f && v.speed[i] <= 500.0f)) return std::nullopt;
      if (!(v.sink[i] >= -10.0f && v.sink[i] <= 0.0f)) return std::nullopt;
    }
    return v;
  }
  return std::nullopt;
}

int ApplyPolarFileText(FlightState& fs, std::string_view text) {
  const std::optional<PolarFileValues> parsed = ParsePolarText(text);
  if (!parsed) return 0;
  const PolarFileValues& v = *parsed;
  // Try the fit on the new points first, so that a file that gives no usable polar changes nothing.
  PolarPoints trial{};
  trial.mass = static_cast<std::int32_t>(v.mass);
  trial.water = static_cast<std::int32_t>(v.water);
  for (int i = 0; i < 3; ++i) {
    const std::int32_t speed = static_cast<std::int32_t>(static_cast<std::uint32_t>(v.speed[i]));
    trial.speed[i] = speed < 15 ? 15 : speed;
    trial.sink[i] = static_cast<std::int32_t>(v.sink[i] * 100.0f);
  }
  if (!FitPolar(trial, fs.bugs, fs.waterFill)) return 0;
  ApplyPoints(fs, v.mass, v.water, v.speed, v.sink);
  ComputePolar(fs);
  return 1;
}

PolarSource LoadPolar(FlightState& fs, const WCHAR* firstFilePath, const WCHAR* firstFileName) {
  PolarSource source = PolarSource::Kept;
  if (firstFilePath != nullptr && ReadPolarFile(fs, firstFilePath)) {
    return PolarSource::File;
  }
  if (firstFilePath == nullptr && firstFileName == nullptr) {
    LoadBuiltinPolar(fs, nullptr);
    source = PolarSource::DefaultForEmptyCategory;
  } else if (firstFileName != nullptr && LoadBuiltinPolar(fs, firstFileName)) {
    source = PolarSource::Builtin;
  }
  ComputePolar(fs);
  return source;
}

}  // namespace cumulor

#include "cumulor/map/labels/label_text.h"

#include <cmath>
#include <cstdio>

#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/polar/glide.h"

namespace cumulor {
namespace {

void AppendAscii(std::u16string& out, const char* text) {
  for (const char* p = text; *p; ++p) out.push_back(static_cast<unsigned char>(*p));
}

}  // namespace

std::u16string LabelName(const LabelTextSettings& settings, const char* name, const char* code) {
  std::u16string out;
  const char* text = settings.useCode ? code : name;
  if (settings.labelLen <= 0 || text == nullptr) return out;
  for (std::int32_t i = 0; i < settings.labelLen && text[i] != '\0'; ++i)
    out.push_back(static_cast<unsigned char>(text[i]));
  return out;
}

PointLabelText ArrivalLabelText(const LabelTextSettings& settings, const std::u16string& name, std::int32_t height,
                                std::int32_t macCreadyIndex, std::int32_t frameScale) {
  PointLabelText label;
  label.text = name;
  if (height < 1) return label;
  label.mode = kLabelInReach;
  if (!settings.labelsFlag && frameScale > (settings.highResolution ? 50 : 20)) return label;
  char number[48];
  std::snprintf(number, sizeof number, ":%d", height / 10 * 10);
  AppendAscii(label.text, number);
  label.text += settings.unitText;
  if (macCreadyIndex != 0) {
    std::snprintf(number, sizeof number, "@Mc%d", macCreadyIndex);
    AppendAscii(label.text, number);
  }
  return label;
}

PointLabelText BuildPointLabelText(const LabelTextSettings& settings, const FlightState& fs, std::int32_t frameScale,
                                   const GeoPoint& position, const char* name, const char* code, const GeoPoint& own,
                                   std::int32_t elevation) {
  const std::uint32_t d = GeoDistance(own, position);
  const std::u16string shown = LabelName(settings, name, code);
  if (settings.glideRatioMode) {
    PointLabelText label;
    label.text = shown;
    float ratio = 0.0f;
    if (d >= 100) {
      const double height = static_cast<double>(GetFlightParameter(fs, kParamQnhAltitude)) -
                            GetFlightParameter(fs, kParamSafetyMargin) - elevation;
      ratio = static_cast<float>(static_cast<float>(d) / static_cast<float>(height));
      // At or below the point's height, or beyond 70: no ratio is shown.
      if (!std::isfinite(ratio) || !(ratio < 70.0f) || ratio < 0.0f) return label;
    }
    if (ratio < fs.glideRatio.load()) label.mode = kLabelInReach;
    char number[32];
    std::snprintf(number, sizeof number, ":%.1f", static_cast<double>(ratio));
    AppendAscii(label.text, number);
    return label;
  }
  double course = 0.0;
  GeoBearing(course, own, position);
  std::int32_t result[5] = {1, 0, 0, 0, 0};
  FinalGlideCalc(fs, elevation, d, course, result, settings.altitudeUnit == 2);
  const std::int32_t index = result[0] >= 0 && result[0] <= 3 ? result[0] : 0;
  return ArrivalLabelText(settings, shown, result[1 + index], index, frameScale);
}

}  // namespace cumulor

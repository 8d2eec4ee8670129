// Floating-point conversions (%e %f %g) as the device's C library writes them: the value is taken
// to 17 significant digits and rounded half up from there, and exponents have at least three
// digits. Internal to platform/text.
#pragma once

#include <string>

namespace ce::text::detail {

// The digits of |value| for conversion e, E, f, g or G (no sign, no padding). alt is the '#' flag.
std::string FloatDigits(double value, char conversion, int precision, bool alt);

}  // namespace ce::text::detail

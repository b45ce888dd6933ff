#pragma once
// From what the user measured on a printed calibration sheet to the
// printer's correction, and the rules of the calibration dialog's fields:
// how they are read, what is wrong with them and what the dialog shows.
//
// A printer puts a point at u mm from the printable corner at L + e + u * k
// from the sheet's edge (L the margin, e its shift, k its stretch); a
// correction (d, s) hands it d + u * s instead. With the crosses A and B at
// a and b, printed under (d0, s0) and measured at mA and mB, the printer's
// k = (mB - mA) / ((b - a) * s0) and e follows from mA. The correction that
// puts every u at L + u is s1 = 1 / k = s0 * (b - a) / (mB - mA) and
// d1 = -e * s1 = d0 + a * s0 - (mA - L) * s1, per axis.

#include <array>
#include <optional>
#include <string>

#include "calibration/CalibrationSheet.h"
#include "printing/PrinterCorrections.h"

namespace zarvo {

// The centres of crosses A and B measured from the sheet's left and top
// edges, mm.
struct MeasuredCrosses {
    double ax = 0;
    double ay = 0;
    double bx = 0;
    double by = 0;
};

// The correction (rounded) that makes the crosses of a sheet printed with
// layout under inForce land where they should, from where they were
// measured; nullopt when A and B were measured at one place on an axis.
std::optional<PrinterCorrection> calibratedCorrection(const CalibrationLayout& layout, const MeasuredCrosses& measured,
                                                      const PrinterCorrection& inForce);

// The texts of the four measurement fields as typed (UTF-8), in the order
// A from the left, A from the top, B from the left, B from the top.
using MeasurementTexts = std::array<std::string, 4>;

// The name of measurement index (0..3) as the dialog and its messages show
// it: "A 距左緣", "A 距上緣", "B 距左緣", "B 距上緣".
const char* measurementName(int index);

// What the fields give.
struct CalibrationOutcome {
    std::optional<PrinterCorrection> correction;  // computed, also when out of range
    std::string problem;  // why nothing can be kept (UTF-8); empty when correction can
};

// The outcome of texts measured on a sheet printed with layout under
// inForce. Checked in turn, each naming every field or value at fault:
// fields empty or not decimal numbers, A and B at one place on an axis, a
// correction out of range.
CalibrationOutcome calibrationOutcome(const CalibrationLayout& layout, const MeasurementTexts& texts,
                                      const PrinterCorrection& inForce);

// The dialog's result text: the correction the fields give (or that they
// give none) and on a second line inForce, e.g. "校正值: dx 1.5 mm, dy -0.7
// mm, sx 100.40 %, sy 99.80 %\n原校正值: dx 0 mm, dy 0 mm, sx 100.00 %, sy
// 100.00 %".
std::string calibrationSummary(const CalibrationOutcome& outcome, const PrinterCorrection& inForce);

}  // namespace zarvo

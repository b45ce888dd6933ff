#include "calibration/CalibrationArithmetic.h"

#include <charconv>

#include "layoutmodel/Millimetres.h"

namespace zarvo {

namespace {

const char* const kMeasurementNames[] = {"A 距左緣", "A 距上緣", "B 距左緣", "B 距上緣"};

// One axis of a correction: a shift in mm and a scale as a fraction.
struct AxisCorrection {
    double shift = 0;
    double scale = 1;
};

// The axis's new correction from the crosses' places a and b (from the
// printable corner), the margin, where they were measured and the
// correction they were printed under; nullopt when mA == mB.
std::optional<AxisCorrection> axisCorrection(double a, double b, double margin, double mA, double mB,
                                             AxisCorrection old) {
    if (mA == mB) return std::nullopt;
    const double scale = old.scale * (b - a) / (mB - mA);
    return AxisCorrection{old.shift + a * old.scale - (mA - margin) * scale, scale};
}

// A scale in percent with two decimals ("100.40").
std::string percent(double scale) {
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, scale + 0.0, std::chars_format::fixed, 2);
    return std::string(buffer, result.ptr);
}

// "dx 1.5 mm, dy -0.7 mm, sx 100.40 %, sy 99.80 %".
std::string describe(const PrinterCorrection& c) {
    return "dx " + formatTenths(c.dx) + " mm, dy " + formatTenths(c.dy) + " mm, sx " + percent(c.sx) + " %, sy " +
           percent(c.sy) + " %";
}

// The lines naming the fields that are not decimal numbers; empty when all are.
std::string unreadableFields(const MeasurementTexts& texts) {
    std::string lines;
    for (int i = 0; i < 4; ++i) {
        if (parseMillimetres(texts[i])) continue;
        const std::string& text = texts[i];
        lines += std::string("\n") + kMeasurementNames[i] + ": " + (text.empty() ? "(空白)" : "「" + text + "」");
    }
    return lines;
}

// The lines naming the values of correction that are out of range.
std::string valuesOutOfRange(const PrinterCorrection& c) {
    const PrinterCorrection none;
    std::string lines;
    if (!correctionInRange({c.dx, none.dy, none.sx, none.sy})) lines += "\ndx " + formatTenths(c.dx) + " mm";
    if (!correctionInRange({none.dx, c.dy, none.sx, none.sy})) lines += "\ndy " + formatTenths(c.dy) + " mm";
    if (!correctionInRange({none.dx, none.dy, c.sx, none.sy})) lines += "\nsx " + percent(c.sx) + " %";
    if (!correctionInRange({none.dx, none.dy, none.sx, c.sy})) lines += "\nsy " + percent(c.sy) + " %";
    return lines;
}

}  // namespace

std::optional<PrinterCorrection> calibratedCorrection(const CalibrationLayout& layout, const MeasuredCrosses& measured,
                                                      const PrinterCorrection& inForce) {
    const std::optional<AxisCorrection> x = axisCorrection(layout.ax(), layout.bx(), layout.margins.left, measured.ax,
                                                           measured.bx, {inForce.dx, inForce.sx / 100});
    const std::optional<AxisCorrection> y = axisCorrection(layout.ay(), layout.by(), layout.margins.top, measured.ay,
                                                           measured.by, {inForce.dy, inForce.sy / 100});
    if (!x || !y) return std::nullopt;
    return roundedCorrection({x->shift, y->shift, x->scale * 100, y->scale * 100});
}

const char* measurementName(int index) { return kMeasurementNames[index]; }

CalibrationOutcome calibrationOutcome(const CalibrationLayout& layout, const MeasurementTexts& texts,
                                      const PrinterCorrection& inForce) {
    CalibrationOutcome outcome;
    const std::string unreadable = unreadableFields(texts);
    if (!unreadable.empty()) {
        outcome.problem = "下列量測值不是數字 (mm), 校正值沒有存入:" + unreadable;
        return outcome;
    }
    std::array<double, 4> mm;
    for (int i = 0; i < 4; ++i) mm[i] = *parseMillimetres(texts[i]);
    outcome.correction = calibratedCorrection(layout, {mm[0], mm[1], mm[2], mm[3]}, inForce);
    if (!outcome.correction) {
        std::string lines;
        for (int a = 0; a < 2; ++a) {
            if (mm[a] != mm[a + 2]) continue;
            lines += std::string("\n") + kMeasurementNames[a] + "與 " + kMeasurementNames[a + 2] + " 同為 " + texts[a];
        }
        outcome.problem = "十字 A 與 B 量在同一處, 無法算出校正值:" + lines;
        return outcome;
    }
    const std::string outOfRange = valuesOutOfRange(*outcome.correction);
    if (!outOfRange.empty()) {
        outcome.problem = "校正值超出範圍 (位移 -50 ~ 50 mm, 縮放 95 ~ 105 %), 沒有存入; 請檢查量測值:" + outOfRange;
    }
    return outcome;
}

std::string calibrationSummary(const CalibrationOutcome& outcome, const PrinterCorrection& inForce) {
    std::string text = "校正值: ";
    if (!outcome.correction) {
        text += "—";
    } else {
        text += describe(*outcome.correction);
        if (!correctionInRange(*outcome.correction)) text += " (超出範圍)";
    }
    return text + "\n原校正值: " + describe(inForce);
}

}  // namespace zarvo

#pragma once
// The calibration sheet of a printer and a paper: rulers along the edges of
// the printable area, two crosses A and B 20 mm in from its corners with the
// distances from the sheet's edges at which their centres should land, and
// what the sheet was printed with. It is a report made at run time and
// printed through the engine like any other.

#include <string>

#include "engine/PrintReceipt.h"
#include "platform/Paper.h"
#include "platform/Spooler.h"
#include "printing/PrinterCorrections.h"

namespace zarvo {

// How far the crosses lie in from the printable area's corners, mm.
inline constexpr double kCrossInsetMm = 20;

// Where a calibration sheet's crosses lie, in mm.
struct CalibrationLayout {
    SheetPaper sheet;      // the paper asked for: a code, or a custom paper
    Paper paper;           // portrait
    SheetMargins margins;  // the printer's, for that paper
    double widthMm = 0;    // W x H: the printable area
    double heightMm = 0;
    // The crosses from the printable corner: A at (20, 20), B at (W - 20, H - 20).
    double ax() const { return kCrossInsetMm; }
    double ay() const { return kCrossInsetMm; }
    double bx() const { return widthMm - kCrossInsetMm; }
    double by() const { return heightMm - kCrossInsetMm; }
};

// The papers a calibration sheet can be printed on: codes 0 (A4), 3 (JIS
// B4) and 4 (A3), all portrait, and any custom paper.
bool isCalibrationPaper(const SheetPaper& paper);

// The layout of paper's sheet (a calibration paper) with margins.
CalibrationLayout calibrationLayout(const SheetPaper& paper, const SheetMargins& margins);

// What a calibration sheet says beside its crosses and in its heading.
struct CalibrationInfo {
    std::string printerName;  // UTF-8
    int dpi = 0;
    PrinterCorrection correction;  // in force when it is printed
};

// The calibration sheet as report text (Big5 bytes, CR LF lines), its
// positions measured from the printable corner.
std::string calibrationReport(const CalibrationLayout& layout, const CalibrationInfo& info);

// A calibration sheet handed to its printer: where its crosses lie, and
// what went out.
struct PrintedCalibration {
    CalibrationLayout layout;
    PrintReceipt receipt;
};

// Prints the calibration sheet of paper (a calibration paper) on
// printerName through spooler, whose correction for that printer applies
// as to any print; returns the layout it was printed with and the print's
// receipt. Throws ReportError when the printer or its margins for the paper
// cannot be found or the print fails.
PrintedCalibration printCalibrationSheet(Spooler& spooler, const std::string& printerName, const SheetPaper& paper);

}  // namespace zarvo

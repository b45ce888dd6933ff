#pragma once
// The report's paper codes, the form profile's own papers, and the sheets
// they stand for.

#include <optional>
#include <string>
#include <vector>

#include "report/CustomPaper.h"

namespace zarvo {

enum class PaperSize { A4, JisB4, A3, Custom };

struct Paper {
    PaperSize size = PaperSize::A4;
    bool landscape = false;
    double customWidthMm = 0;   // PaperSize::Custom only
    double customHeightMm = 0;
    double widthMm() const;   // of the sheet as it lies, orientation applied
    double heightMm() const;
};

// The paper a sheet asks for: the report header's code, and the profile's
// paper when it gives one for a code outside 0..5.
struct SheetPaper {
    int code = 0;
    std::optional<CustomPaper> custom;
    SheetPaper(int paperCode = 0) : code(paperCode) {}  // NOLINT: a bare code is a sheet's paper
    SheetPaper(int paperCode, std::optional<CustomPaper> customPaper)
        : code(paperCode), custom(std::move(customPaper)) {}
    bool operator==(const SheetPaper&) const = default;
};

// A paper outside the header codes that forms commonly use.
struct NamedPaper {
    const char* label;  // UTF-8
    double widthMm;
    double heightMm;
};

// The three continuous papers of tractor-fed printers (9½ x 11, 9½ x 5½ and
// 14⅞ x 11 in) and Letter, in that order.
const std::vector<NamedPaper>& commonPapers();

// The sheet of a paper code 0..5; nullopt for any other code, which leaves
// the printer's current paper and orientation unchanged.
std::optional<Paper> paperForCode(int code);

// The sheet a sheet's paper stands for: the code's, the profile's custom
// paper for a code outside 0..5, nullopt when neither (the printer's default).
std::optional<Paper> paperFor(const SheetPaper& paper);

// "241.3 x 139.7 mm" for a custom paper, in the interface's messages.
std::string paperSizeLabel(double widthMm, double heightMm);

}  // namespace zarvo

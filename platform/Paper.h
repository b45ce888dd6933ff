#pragma once
// The report's paper codes and the sheets they stand for.

#include <optional>

namespace zarvo {

enum class PaperSize { A4, JisB4, A3 };

struct Paper {
    PaperSize size = PaperSize::A4;
    bool landscape = false;
    double widthMm() const;   // of the sheet as it lies, orientation applied
    double heightMm() const;
};

// The sheet of a paper code 0..5; nullopt for any other code, which leaves
// the printer's current paper and orientation unchanged.
std::optional<Paper> paperForCode(int code);

}  // namespace zarvo

#pragma once
// A surface that draws nothing and measures text as the printed page does:
// what a layout needs to learn whether a value fits its frame, without a
// page to draw on.

#include "platform/Surface.h"

namespace zarvo {

class MeasuringSurface : public Surface {
public:
    explicit MeasuringSurface(int dpi) : dpi_(dpi) {}

    int dotsPerInch() const override { return dpi_; }
    void clear() override {}
    void drawLine(int, int, int, int, const Pen&) override {}
    void setTextColor(Rgb) override {}
    void drawText(int, int, std::string_view, const Font&) override {}
    void drawRect(int, int, int, int, const Pen&) override {}
    void fillRect(double, double, double, double, Rgb) override {}
    // The installed faces' proportions, as every drawing surface takes them.
    FontMetrics metrics(FontFace face, int height) override;

private:
    int dpi_;
};

}  // namespace zarvo

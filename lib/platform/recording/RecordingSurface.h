#pragma once
// A surface that draws nothing and writes every operation as a trace line
// (the command-line renderer's trace format). Its font metrics are a fixed
// model, so a trace never depends on installed fonts.

#include <ostream>

#include "platform/Surface.h"

namespace zarvo {

class RecordingSurface : public Surface {
public:
    // Writes to out (not owned) at dpi dots per inch.
    RecordingSurface(std::ostream& out, int dpi);

    // Sets the image size that clear() reports.
    void resize(int width, int height);

    int dotsPerInch() const override { return dpi_; }
    void clear() override;  // "image W H"
    void drawLine(int x1, int y1, int x2, int y2, const Pen& pen) override;
    void setTextColor(Rgb color) override { color_ = color; }
    void drawText(int x, int y, std::string_view bytes, const Font& font) override;
    void drawRect(int left, int top, int right, int bottom, const Pen& pen) override;
    // "fill L T R B color=RRGGBB", each edge rounded to the nearest unit.
    void fillRect(double left, double top, double right, double bottom, Rgb color) override;
    // "picture L T R B w=W h=H": the rectangle and the picture's pixels.
    void drawPicture(int left, int top, int right, int bottom, const PictureImage& picture) override;
    // Cell height h, maximum character width h - h / 8.
    FontMetrics metrics(FontFace face, int height) override;

private:
    std::ostream& out_;
    int dpi_;
    int width_ = 0;
    int height_ = 0;
    Rgb color_ = kBlack;
};

}  // namespace zarvo

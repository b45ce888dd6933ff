#pragma once
// A drawing surface in device units: what the engine draws on. Stands in for
// a device context with its pens, fonts and text calls.

#include <cstdint>
#include <memory>
#include <string_view>

class QImage;

namespace zarvo {

// A colour as 0xRRGGBB.
using Rgb = std::uint32_t;
inline constexpr Rgb kBlack = 0x000000;
inline constexpr Rgb kRed = 0xff0000;
inline constexpr Rgb kWhite = 0xffffff;

// Pen style codes, as the report's line style codes.
enum PenStyle : int { PenSolid = 0, PenDash = 1, PenDot = 2, PenDashDot = 3, PenDashDotDot = 4 };

// A pen: style code as given, width in device units (0 and 1 are the
// thinnest line), colour.
struct Pen {
    int style = PenSolid;
    int width = 1;
    Rgb color = kBlack;
};

// The two faces a report can ask for.
enum class FontFace { Ming, Kai };

// A font: face, height in device pixels (the character cell height; frame
// text is set at a fixed resolution and scaled to the device, so the height
// may hold a fraction of a pixel), and whether it is turned 90 degrees
// clockwise (text running downward, glyph tops facing right, the cell left
// of the reference point).
struct Font {
    FontFace face = FontFace::Ming;
    double height = 0;
    bool turned = false;
};

// Text metrics of a font, in the units of the height they were asked for.
struct FontMetrics {
    int maxCharWidth = 0;  // tmMaxCharWidth: the face's full-width advance
    int height = 0;        // tmHeight: the character cell height
};

// A picture made for one place on one device: its pixels (shared, never
// changed once made, so every page can draw the same image) and their size.
struct PictureImage {
    std::shared_ptr<const QImage> image;
    int width = 0;
    int height = 0;
};

class Surface {
public:
    virtual ~Surface() = default;

    // Dots per inch of the device.
    virtual int dotsPerInch() const = 0;

    // Fills the whole surface with white (the preview image before a page).
    virtual void clear() = 0;

    // Draws a line from (x1, y1) to (x2, y2), leaving out the end point.
    virtual void drawLine(int x1, int y1, int x2, int y2, const Pen& pen) = 0;

    // Sets the colour of the following text output calls (black at first).
    virtual void setTextColor(Rgb color) = 0;

    // Outputs one character (one byte, or the two bytes of a Big5 character)
    // with its cell's top-left at (x, y), transparent background.
    virtual void drawText(int x, int y, std::string_view bytes, const Font& font) = 0;

    // Draws the rectangle (left, top)-(right, bottom) with the pen, its inside
    // filled with the default brush (white).
    virtual void drawRect(int left, int top, int right, int bottom, const Pen& pen) = 0;

    // Fills the rectangle (left, top)-(right, bottom) with color, without an
    // outline: a bar or a run of modules of a barcode or 2D code. Its edges
    // may lie between pixels (a module taken exactly on a PDF page, or
    // scaled to the screen).
    virtual void fillRect(double left, double top, double right, double bottom, Rgb color) = 0;

    // The metrics of face at cell height height, in the units of height and
    // whatever resolution they stand for: the face's own proportions, never
    // the device's pixel grid, so that a text laid out with them takes the
    // same room on every device.
    virtual FontMetrics metrics(FontFace face, int height) = 0;

    // Draws picture into the rectangle (left, top)-(right, bottom), right
    // and bottom exclusive; the picture was made at that size, so a device
    // of whole pixels takes it pixel for pixel. Surfaces that show no
    // pictures ignore it.
    virtual void drawPicture(int left, int top, int right, int bottom, const PictureImage& picture) {
        (void)left, (void)top, (void)right, (void)bottom, (void)picture;
    }
};

}  // namespace zarvo

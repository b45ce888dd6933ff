#pragma once
// How a block of kind=image draws its picture, as its [Block NAME] section
// says (picture, fit, align, color, dither), and where the picture lands in
// its frame. Standard C++ only.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zarvo {

// The tones a device takes a picture in: its colours (screen, PNG, PDF),
// grey (a printer), black dots (a printer that prints dots only).
enum class PictureTone { Colour, Grey, Dots };

enum class PictureFit { Contain, Cover, Stretch };
enum class PictureHAlign { Left, Centre, Right };
enum class PictureVAlign { Top, Middle, Bottom };

struct PictureStyle {
    std::string fixedFile;  // picture=: UTF-8, relative to the report's folder; empty: the value names it
    PictureFit fit = PictureFit::Contain;
    PictureHAlign hAlign = PictureHAlign::Centre;
    PictureVAlign vAlign = PictureVAlign::Middle;
    bool keepColour = false;  // color=keep: a printer gets the colours, not grey
    bool dither = false;      // dither=yes: a printer gets black dots
    bool operator==(const PictureStyle&) const = default;
};

// Whether the keys (UTF-8 pairs, in file order) say kind=image.
bool isPictureKind(const std::vector<std::pair<std::string, std::string>>& keys);

// Reads picture, fit, align, color and dither of a kind=image section.
// The style, or why a key cannot be used, naming the key ("fit 必須是 ...").
struct ParsedPictureStyle {
    PictureStyle style;
    std::string error;
};
ParsedPictureStyle readPictureStyle(const std::vector<std::pair<std::string, std::string>>& keys);

// The key=value lines of style as a section writes them (kind=image first),
// defaults left out.
std::vector<std::pair<std::string, std::string>> pictureKeys(const PictureStyle& style);

// A rectangle in device pixels, right and bottom exclusive.
struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return width() <= 0 || height() <= 0; }
    bool operator==(const PixelRect&) const = default;
};

// A frame in device units, its edges exact (not yet whole pixels).
struct DeviceFrame {
    double left = 0, top = 0, right = 0, bottom = 0;
};

// Where a picture of sourceWidth x sourceHeight pixels lands in frame under
// style, in whole pixels (each edge the nearest, at least one pixel):
// contain keeps its proportions inside the frame, aligned as asked; cover
// and stretch take the whole frame (cover cuts what overflows). An empty
// frame gives an empty rectangle.
PixelRect placePicture(const DeviceFrame& frame, int sourceWidth, int sourceHeight, const PictureStyle& style);

}  // namespace zarvo

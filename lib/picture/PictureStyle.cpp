#include "picture/PictureStyle.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace zarvo {

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return text;
}

const std::string* valueOf(const std::vector<std::pair<std::string, std::string>>& keys, const std::string& key) {
    const std::string* found = nullptr;
    for (const auto& [name, value] : keys) {
        if (lower(name) == key) found = &value;
    }
    return found;
}

// align= takes one horizontal and one vertical word, either or both, in any order.
std::string readAlign(const std::string& text, PictureStyle& style) {
    std::string words = text;
    std::replace(words.begin(), words.end(), ',', ' ');
    std::istringstream in(words);
    bool horizontal = false;
    bool vertical = false;
    for (std::string word; in >> word;) {
        word = lower(word);
        bool isHorizontal = true;
        if (word == "left") {
            style.hAlign = PictureHAlign::Left;
        } else if (word == "centre" || word == "center") {
            style.hAlign = PictureHAlign::Centre;
        } else if (word == "right") {
            style.hAlign = PictureHAlign::Right;
        } else {
            isHorizontal = false;
            if (word == "top") {
                style.vAlign = PictureVAlign::Top;
            } else if (word == "middle") {
                style.vAlign = PictureVAlign::Middle;
            } else if (word == "bottom") {
                style.vAlign = PictureVAlign::Bottom;
            } else {
                return "align 必須是 left、centre、right 與 top、middle、bottom";
            }
        }
        bool& seen = isHorizontal ? horizontal : vertical;
        if (seen) return "align 的水平或垂直位置只能各給一個";
        seen = true;
    }
    return {};
}

// A fixed picture's name stays below the report's folder.
std::string checkFixedName(const std::string& name) {
    if (name.empty()) return "picture 沒有給檔名";
    if (name.front() == '/') return "picture 必須是報表資料夾裡的相對路徑";
    std::istringstream parts(name);
    for (std::string part; std::getline(parts, part, '/');) {
        if (part == "..") return "picture 不可用「..」離開報表資料夾";
    }
    return {};
}

std::string readYesNo(const std::string* value, const char* key, const char* yes, bool& into) {
    if (!value) return {};
    const std::string word = lower(*value);
    if (word != yes && word != "no") return std::string(key) + " 必須是 " + yes + " 或 no";
    into = word == yes;
    return {};
}

}  // namespace

bool isPictureKind(const std::vector<std::pair<std::string, std::string>>& keys) {
    const std::string* kind = valueOf(keys, "kind");
    return kind && lower(*kind) == "image";
}

ParsedPictureStyle readPictureStyle(const std::vector<std::pair<std::string, std::string>>& keys) {
    ParsedPictureStyle parsed;
    PictureStyle& style = parsed.style;
    if (const std::string* file = valueOf(keys, "picture")) {
        parsed.error = checkFixedName(*file);
        if (!parsed.error.empty()) return parsed;
        style.fixedFile = *file;
    }
    if (const std::string* fit = valueOf(keys, "fit")) {
        const std::string word = lower(*fit);
        if (word == "contain") {
            style.fit = PictureFit::Contain;
        } else if (word == "cover") {
            style.fit = PictureFit::Cover;
        } else if (word == "stretch") {
            style.fit = PictureFit::Stretch;
        } else {
            parsed.error = "fit 必須是 contain、cover 或 stretch";
            return parsed;
        }
    }
    if (const std::string* align = valueOf(keys, "align")) {
        parsed.error = readAlign(*align, style);
        if (!parsed.error.empty()) return parsed;
    }
    parsed.error = readYesNo(valueOf(keys, "color"), "color", "keep", style.keepColour);
    if (parsed.error.empty()) parsed.error = readYesNo(valueOf(keys, "dither"), "dither", "yes", style.dither);
    return parsed;
}

std::vector<std::pair<std::string, std::string>> pictureKeys(const PictureStyle& style) {
    std::vector<std::pair<std::string, std::string>> keys{{"kind", "image"}};
    if (!style.fixedFile.empty()) keys.emplace_back("picture", style.fixedFile);
    if (style.fit == PictureFit::Cover) keys.emplace_back("fit", "cover");
    if (style.fit == PictureFit::Stretch) keys.emplace_back("fit", "stretch");
    if (style.hAlign != PictureHAlign::Centre || style.vAlign != PictureVAlign::Middle) {
        static const char* const across[] = {"left", "centre", "right"};
        static const char* const down[] = {"top", "middle", "bottom"};
        keys.emplace_back("align", std::string(across[int(style.hAlign)]) + " " + down[int(style.vAlign)]);
    }
    if (style.keepColour) keys.emplace_back("color", "keep");
    if (style.dither) keys.emplace_back("dither", "yes");
    return keys;
}

namespace {

// The pixels from start over length, the edges rounded, never empty.
std::pair<int, int> wholePixels(double start, double length) {
    const int first = int(std::lround(start));
    const int last = std::max(first + 1, int(std::lround(start + length)));
    return {first, last};
}

// Where a part of length lies in room (both exact) as align puts it: 0
// first, 1 centred, 2 last.
double alignedStart(double roomStart, double room, double length, int align) {
    return roomStart + (room - length) * align / 2;
}

}  // namespace

PixelRect placePicture(const DeviceFrame& frame, int sourceWidth, int sourceHeight, const PictureStyle& style) {
    const double frameWidth = frame.right - frame.left;
    const double frameHeight = frame.bottom - frame.top;
    // Far too large or not a number: nothing a device could take.
    constexpr double kFar = 1 << 24;
    if (!(frameWidth >= 0.5 && frameHeight >= 0.5) || std::abs(frame.left) > kFar || std::abs(frame.top) > kFar ||
        frameWidth > kFar || frameHeight > kFar) {
        return {};
    }
    double width = frameWidth;
    double height = frameHeight;
    if (style.fit == PictureFit::Contain && sourceWidth > 0 && sourceHeight > 0) {
        // The smaller ratio decides which side of the frame the picture fills.
        const double scale = std::min(frameWidth / sourceWidth, frameHeight / sourceHeight);
        width = sourceWidth * scale;
        height = sourceHeight * scale;
    }
    const auto [left, right] =
        wholePixels(alignedStart(frame.left, frameWidth, width, int(style.hAlign)), width);
    const auto [top, bottom] = wholePixels(alignedStart(frame.top, frameHeight, height, int(style.vAlign)), height);
    return PixelRect{left, top, right, bottom};
}

}  // namespace zarvo

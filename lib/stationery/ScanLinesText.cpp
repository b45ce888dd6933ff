#include "stationery/ScanLinesText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace zarvo {
namespace {

constexpr std::string_view kHeader = "zarvo-scan-lines 1";
// No sheet is a hundred metres long; beyond that a number is damage.
constexpr double kLargestMm = 100000;

std::string number(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.4f", value);
    std::string text = buffer;
    return text == "-0.0000" ? "0.0000" : text;
}

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t end = std::min(line.find(' ', at), line.size());
        if (end == at) return {};  // two spaces in a row: not our writing
        out.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

std::optional<double> parseNumber(std::string_view word, double least, double most) {
    double value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || !std::isfinite(value)) return std::nullopt;
    if (value < least || value > most) return std::nullopt;
    return value;
}

std::optional<ScanLine> parseLine(const std::vector<std::string_view>& w) {
    if (w.size() != 5) return std::nullopt;
    const auto position = parseNumber(w[1], -kLargestMm, kLargestMm);
    const auto from = parseNumber(w[2], -kLargestMm, kLargestMm);
    const auto to = parseNumber(w[3], -kLargestMm, kLargestMm);
    const auto thickness = parseNumber(w[4], 0, kLargestMm);
    if (!position || !from || !to || !thickness || *to < *from) return std::nullopt;
    return ScanLine{*position, *from, *to, *thickness};
}

std::optional<ScanBox> parseBox(const std::vector<std::string_view>& w) {
    if (w.size() != 6 || (w[5] != "0" && w[5] != "1")) return std::nullopt;
    double edges[4];
    for (int i = 0; i < 4; ++i) {
        const auto edge = parseNumber(w[1 + i], -kLargestMm, kLargestMm);
        if (!edge) return std::nullopt;
        edges[i] = *edge;
    }
    if (edges[2] <= edges[0] || edges[3] <= edges[1]) return std::nullopt;
    return ScanBox{edges[0], edges[1], edges[2], edges[3], w[5] == "1"};
}

}  // namespace

std::string scanLinesText(const ScanLines& lines) {
    std::string text = std::string(kHeader) + "\nskew " + number(lines.skewDegrees) + "\n";
    auto line = [&](char kind, const ScanLine& l) {
        text += std::string(1, kind) + " " + number(l.position) + " " + number(l.from) + " " + number(l.to) + " " +
                number(l.thickness) + "\n";
    };
    for (const ScanLine& l : lines.horizontal) line('h', l);
    for (const ScanLine& l : lines.vertical) line('v', l);
    for (const ScanBox& b : lines.boxes)
        text += "box " + number(b.left) + " " + number(b.top) + " " + number(b.right) + " " + number(b.bottom) +
                (b.hasInk ? " 1\n" : " 0\n");
    return text + "end\n";
}

std::optional<ScanLines> parseScanLines(std::string_view text) {
    ScanLines lines;
    bool header = false, skew = false, ended = false;
    std::size_t items = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t newline = text.find('\n', at);
        if (newline == std::string_view::npos) return std::nullopt;  // a file cut short
        const std::string_view row = text.substr(at, newline - at);
        at = newline + 1;
        if (ended) return std::nullopt;  // nothing may follow "end"
        if (!header) {
            if (row != kHeader) return std::nullopt;
            header = true;
            continue;
        }
        const std::vector<std::string_view> w = words(row);
        if (w.empty()) return std::nullopt;
        if (w[0] == "end" && w.size() == 1) {
            ended = true;
            continue;
        }
        if (w[0] == "skew" && w.size() == 2 && !skew) {
            const auto degrees = parseNumber(w[1], -45, 45);
            if (!degrees) return std::nullopt;
            lines.skewDegrees = *degrees;
            skew = true;
            continue;
        }
        if (!skew || ++items > kMaxScanLinesItems) return std::nullopt;
        if (w[0] == "h" || w[0] == "v") {
            const auto line = parseLine(w);
            if (!line) return std::nullopt;
            (w[0] == "h" ? lines.horizontal : lines.vertical).push_back(*line);
        } else if (w[0] == "box") {
            const auto box = parseBox(w);
            if (!box) return std::nullopt;
            lines.boxes.push_back(*box);
        } else {
            return std::nullopt;
        }
    }
    if (!ended) return std::nullopt;
    return lines;
}

}  // namespace zarvo

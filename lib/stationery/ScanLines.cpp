#include "stationery/ScanLines.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include <QImage>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "report/StationeryKeys.h"
#include "report/Units.h"

namespace zarvo {
namespace {


// What counts as a ruled line, in millimetres on paper.
constexpr double kDotGapMm = 1.0;        // gaps of a dotted line up to this are bridged
constexpr double kShortestLineMm = 5.0;  // shorter ink is a character's stroke, not a ruled line
constexpr double kThickestLineMm = 1.2;  // thicker ink is a filled area or text, not a line
constexpr double kSlenderness = 20;     // a ruled line is at least this many times as long as it is thick;
                                        // a character's stroke, even in a title, is stubbier
constexpr double kMostCrossed = 0.1;    // a line crossed over more of its length is a character
constexpr double kStraightPx = 2.0;      // how far a straight line's middle may wander from end to end
constexpr double kEndInk = 0.3;          // a line ends where its ink falls below this share of its usual ink
constexpr double kAloneMm = 15;         // a shorter line must meet a longer one to count
constexpr double kBridgeMm = 300;       // the longest gap of a faint dotted line that is bridged
constexpr double kBridgeExcess = 3;      // grey levels a faint dotted line's gap lies above the paper
constexpr double kBesideMm = 0.5;       // a faint line's ink is compared with the paper this far beside it
constexpr double kBridgeChunkMm = 2.0;  // and must show in the pieces of this length along a gap
constexpr double kBridgeMisses = 0.2;   // all but this share of them
constexpr double kJoinMm = 1.5;          // collinear pieces this close are one line (a gap in the print)
constexpr double kMeetMm = 1.0;          // a line ending this close to another meets it
constexpr double kInkMarginMm = 0.3;     // a box's ink is looked for this far inside its lines
constexpr double kLeastCaptionInkMm2 = 0.25;  // less ink than this in a box is dirt or noise

// The skew search: a coarse sweep, then a fine one around the best angle.
constexpr double kCoarseStepDegrees = 0.02;
constexpr double kFineStepDegrees = 0.002;
constexpr int kSkewStrips = 32;

// A line found in pixels of the straightened scan, laid out as if horizontal.
struct PixelLine {
    double position = 0;
    double from = 0;
    double to = 0;
    double thickness = 0;
};

struct PixelBox {
    double left = 0, top = 0, right = 0, bottom = 0;
    double inset = 0;  // half the thickest of its lines
};

// How dark each pixel is (0 white .. 255 black): 255 minus the darkest
// channel, so that red or blue ink is as dark as its strongest absorption.
cv::Mat darkness(const QImage& scan) {
    const QImage rgb = scan.format() == QImage::Format_Grayscale8 || scan.format() == QImage::Format_RGB32
                           ? scan
                           : scan.convertToFormat(QImage::Format_RGB32);
    cv::Mat dark(rgb.height(), rgb.width(), CV_8UC1);
    for (int y = 0; y < rgb.height(); ++y) {
        uchar* out = dark.ptr<uchar>(y);
        if (rgb.format() == QImage::Format_Grayscale8) {
            const uchar* in = rgb.constScanLine(y);
            for (int x = 0; x < rgb.width(); ++x) out[x] = static_cast<uchar>(255 - in[x]);
        } else {
            const QRgb* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
            for (int x = 0; x < rgb.width(); ++x) {
                const int darkest = std::min({qRed(in[x]), qGreen(in[x]), qBlue(in[x])});
                out[x] = static_cast<uchar>(255 - darkest);
            }
        }
    }
    return dark;
}

// The paper's darkness (the median) and the level between paper and ink
// that separates them: halfway to the ink's darkness, at least a clear step
// above the paper's noise.
struct InkLevels {
    int paper = 0;
    int line = 64;   // the level of line ink in the scan smoothed along the lines
    int ink = 128;   // the level of any ink (captions) in the scan
    double noise = 0;  // the paper's noise, one standard deviation
};

// The smoothing along a line before it is told from the paper: a line's ink
// keeps its darkness (a dotted line's dots spread over its gaps), the paper's
// noise is averaged away.
constexpr double kAlongMm = 2.0;

// kAlongMm in pixels at perMm pixels a millimetre, odd.
int alongPx(double perMm) { return std::max(3, static_cast<int>(std::lround(kAlongMm * perMm)) | 1); }

InkLevels inkLevels(const cv::Mat& dark, int along) {
    int histogram[256] = {};
    for (int y = 0; y < dark.rows; ++y) {
        const uchar* row = dark.ptr<uchar>(y);
        for (int x = 0; x < dark.cols; ++x) ++histogram[row[x]];
    }
    const double total = static_cast<double>(dark.total());
    auto percentile = [&](double fraction) {
        double seen = 0;
        for (int level = 0; level < 256; ++level) {
            seen += histogram[level];
            if (seen >= fraction * total) return level;
        }
        return 255;
    };
    InkLevels levels;
    levels.paper = percentile(0.5);
    const int ink = std::max(percentile(0.998), levels.paper + 32);
    // The paper's own noise: the 90th percentile lies 1.28 standard deviations above the median.
    const double noise = (percentile(0.9) - levels.paper) / 1.28;
    const double smoothedNoise = noise / std::sqrt(double(along));
    levels.noise = noise;
    levels.line = std::min(250, levels.paper + static_cast<int>(std::max({12.0, (ink - levels.paper) / 8.0, 4 * smoothedNoise})));
    levels.ink = std::min(250, levels.paper + static_cast<int>(std::max({24.0, (ink - levels.paper) / 3.0, 4 * noise / 3})));
    return levels;
}

cv::Mat binary(const cv::Mat& dark, int threshold) {
    cv::Mat smooth;
    cv::GaussianBlur(dark, smooth, cv::Size(3, 3), 0);
    cv::Mat ink;
    cv::threshold(smooth, ink, threshold, 255, cv::THRESH_BINARY);
    return ink;
}

// The ink of lines running along the rows: the scan smoothed along them, then
// told from the paper.
cv::Mat lineInkAlongRows(const cv::Mat& dark, int threshold, int along) {
    cv::Mat smooth;
    cv::blur(dark, smooth, cv::Size(along, 1));
    cv::Mat ink;
    cv::threshold(smooth, ink, threshold, 255, cv::THRESH_BINARY);
    return ink;
}

// The ink that lies in horizontal runs at least length pixels long once gaps
// up to gap pixels are bridged: the horizontal ruled lines.
cv::Mat horizontalRuns(const cv::Mat& ink, int gap, int length) {
    cv::Mat runs;
    cv::morphologyEx(ink, runs, cv::MORPH_CLOSE, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(gap, 1)));
    cv::morphologyEx(runs, runs, cv::MORPH_OPEN, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(length, 1)));
    return runs;
}

// Ink counts of each row of runs within each of kSkewStrips vertical strips.
std::vector<std::vector<float>> stripProfiles(const cv::Mat& runs) {
    std::vector<std::vector<float>> profiles(kSkewStrips, std::vector<float>(runs.rows, 0.f));
    for (int y = 0; y < runs.rows; ++y) {
        const uchar* row = runs.ptr<uchar>(y);
        for (int x = 0; x < runs.cols; ++x)
            if (row[x]) profiles[static_cast<std::size_t>(x) * kSkewStrips / runs.cols][y] += 1;
    }
    return profiles;
}

// How sharp the strips' profiles are when each strip is shifted by
// slope * (its centre - the middle): the sum of squares of their sum.
double profileSharpness(const std::vector<std::vector<float>>& profiles, int across, double slope) {
    const int length = static_cast<int>(profiles[0].size());
    std::vector<double> sum(length, 0.0);
    for (int s = 0; s < kSkewStrips; ++s) {
        const double centre = (s + 0.5) * across / kSkewStrips - across / 2.0;
        const double shift = slope * centre;
        const int whole = static_cast<int>(std::floor(shift));
        const double part = shift - whole;
        const std::vector<float>& profile = profiles[s];
        for (int i = 0; i < length; ++i) {
            const int j = i + whole;
            if (j < 0 || j + 1 >= length) continue;
            sum[i] += (1 - part) * profile[j] + part * profile[j + 1];
        }
    }
    double sharpness = 0;
    for (double v : sum) sharpness += v * v;
    return sharpness;
}

// The skew that makes the horizontal and vertical runs line up best.
double measureSkew(const cv::Mat& dark, const InkLevels& levels, double dpi) {
    // Half the resolution is plenty for a hundredth of a degree and four times faster.
    cv::Mat half;
    cv::resize(dark, half, cv::Size(), 0.5, 0.5, cv::INTER_AREA);
    const double perMm = dpi / 2 / kMmPerInch;
    const int gap = std::max(3, static_cast<int>(std::lround(kDotGapMm * perMm)));
    const int length = std::max(5, static_cast<int>(std::lround(kShortestLineMm * perMm)));
    cv::Mat halfT;
    cv::transpose(half, halfT);
    const cv::Mat verticalInk = horizontalRuns(lineInkAlongRows(halfT, levels.line, alongPx(perMm)), gap, length);
    const auto rows = stripProfiles(horizontalRuns(lineInkAlongRows(half, levels.line, alongPx(perMm)), gap, length));
    const auto columns = stripProfiles(verticalInk);
    // Horizontals fall by tan(skew) to the right; verticals lean left by it going down.
    auto sharpness = [&](double degrees) {
        const double slope = std::tan(degrees * std::numbers::pi / 180);
        return profileSharpness(rows, half.cols, slope) + profileSharpness(columns, half.rows, -slope);
    };
    auto best = [&](double from, double to, double step) {
        double bestAngle = 0, bestSharpness = -1;
        for (double degrees = from; degrees <= to + step / 2; degrees += step) {
            // Ties (a page without lines gives nothing anywhere) go to the straighter angle.
            const double s = sharpness(degrees);
            if (s > bestSharpness || (s == bestSharpness && std::abs(degrees) < std::abs(bestAngle)))
                bestSharpness = s, bestAngle = degrees;
        }
        return bestAngle;
    };
    const double coarse = best(-kMaxScanSkewDegrees, kMaxScanSkewDegrees, kCoarseStepDegrees);
    return best(coarse - kCoarseStepDegrees, coarse + kCoarseStepDegrees, kFineStepDegrees);
}

// The scan turned counter-clockwise by skew about its centre, so that its
// lines run straight.
cv::Mat straightened(const cv::Mat& dark, double skewDegrees) {
    if (std::abs(skewDegrees) < 1e-4) return dark;
    const cv::Mat turn = cv::getRotationMatrix2D(cv::Point2f((dark.cols - 1) / 2.f, (dark.rows - 1) / 2.f), skewDegrees, 1.0);
    cv::Mat out;
    cv::warpAffine(dark, out, turn, dark.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0));
    return out;
}

// Touching horizontal runs of set pixels (8-connected), as groups: where
// each group lies and which of its columns it covers.
struct RunGroup {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    std::vector<bool> covers;                      // from left to right
};

std::vector<RunGroup> runGroups(const cv::Mat& mask) {
    struct Run {
        int y, x0, x1;  // x1 exclusive
    };
    std::vector<Run> runs;
    std::vector<std::size_t> rowStart(mask.rows + 1, 0);
    for (int y = 0; y < mask.rows; ++y) {
        rowStart[y] = runs.size();
        const uchar* row = mask.ptr<uchar>(y);
        for (int x = 0; x < mask.cols;) {
            if (!row[x]) {
                ++x;
                continue;
            }
            const int x0 = x;
            while (x < mask.cols && row[x]) ++x;
            runs.push_back({y, x0, x});
        }
    }
    rowStart[mask.rows] = runs.size();
    std::vector<std::size_t> parent(runs.size());
    for (std::size_t i = 0; i < runs.size(); ++i) parent[i] = i;
    auto root = [&](std::size_t i) {
        while (parent[i] != i) i = parent[i] = parent[parent[i]];
        return i;
    };
    for (int y = 1; y < mask.rows; ++y) {
        std::size_t above = rowStart[y - 1];
        for (std::size_t i = rowStart[y]; i < rowStart[y + 1]; ++i) {
            // Runs of the row above that touch this one, diagonals included.
            while (above < rowStart[y] && runs[above].x1 < runs[i].x0) ++above;
            for (std::size_t j = above; j < rowStart[y] && runs[j].x0 <= runs[i].x1; ++j) parent[root(i)] = root(j);
        }
    }
    std::vector<RunGroup> groups;
    std::vector<std::size_t> groupOf(runs.size(), SIZE_MAX);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const std::size_t r = root(i);
        if (groupOf[r] == SIZE_MAX) {
            groupOf[r] = groups.size();
            groups.push_back({runs[i].x0, runs[i].y, runs[i].x1, runs[i].y + 1, {}});
        }
        RunGroup& group = groups[groupOf[r]];
        group.left = std::min(group.left, runs[i].x0);
        group.right = std::max(group.right, runs[i].x1);
        group.top = std::min(group.top, runs[i].y);
        group.bottom = std::max(group.bottom, runs[i].y + 1);
    }
    for (RunGroup& group : groups) group.covers.assign(group.right - group.left, false);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        RunGroup& group = groups[groupOf[root(i)]];
        std::fill(group.covers.begin() + (runs[i].x0 - group.left), group.covers.begin() + (runs[i].x1 - group.left), true);
    }
    return groups;
}

// The horizontal lines among runs (in a scan laid so that they are
// horizontal): where each one's ink lies across it, measured on dark and ink
// column by column, leaving out columns where other ink crosses or touches it.
std::vector<PixelLine> measureLines(const cv::Mat& dark, const cv::Mat& ink, const cv::Mat& runs, const cv::Mat& across,
                                    const InkLevels& levels, double perMm) {
    const int thickest = static_cast<int>(std::ceil(kThickestLineMm * perMm));
    const int pad = 2;
    // Only ink clearly above the paper's noise tells where the line lies and ends.
    const double floor = levels.paper + std::max((levels.line - levels.paper) / 2.0, 2 * levels.noise);
    std::vector<PixelLine> lines;
    for (const RunGroup& group : runGroups(runs)) {
        const int left = group.left, top = group.top, width = group.right - group.left, height = group.bottom - group.top;
        if (height > thickest) continue;
        const int bandTop = std::max(0, top - pad);
        const int bandBottom = std::min(dark.rows, top + height + pad);
        std::vector<double> centres, widths, weights;
        std::vector<int> columns;
        centres.reserve(width);
        widths.reserve(width);
        const int middle = top + height / 2;
        for (int x = left; x < left + width; ++x) {
            // Where a line runs across this one, its ink says nothing of this
            // line's place or ends.
            if (across.at<uchar>(middle, x)) continue;
            double weight = 0, moment = 0;
            int inked = 0;
            const bool onLine = group.covers[x - left];
            for (int y = bandTop; y < bandBottom; ++y) {
                if (ink.at<uchar>(y, x)) ++inked;
                const double w = dark.at<uchar>(y, x) - floor;
                if (w > 0) weight += w, moment += w * y;
            }
            if (!onLine || weight <= 0) continue;
            centres.push_back(moment / weight + 0.5);
            widths.push_back(inked);
            weights.push_back(weight);
            columns.push_back(x);
        }
        if (widths.empty()) continue;
        std::vector<double> sorted = widths;
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        const double typical = sorted[sorted.size() / 2];
        // Ink crossing the line or touching it widens it: another line, or a
        // character's stroke when most of its length is crossed.
        const std::size_t end = static_cast<std::size_t>(perMm);  // where lines meet their borders
        std::size_t crossed = 0, inner = 0;
        double sum = 0, sumX = 0, sumXX = 0, sumXY = 0;
        int kept = 0;
        for (std::size_t i = 0; i < centres.size(); ++i) {
            const bool wide = widths[i] > typical + std::max(2.0, typical / 2);
            if (i >= end && i + end < centres.size()) ++inner, crossed += wide;
            if (wide) continue;
            const double x = static_cast<double>(i);
            sum += centres[i], sumX += x, sumXX += x * x, sumXY += x * centres[i], ++kept;
        }
        if (kept < 2 || crossed > kMostCrossed * inner) continue;
        // A ruled line runs straight once the scan is; a brush stroke rises or falls.
        const double slope = (kept * sumXY - sumX * sum) / std::max(1e-9, kept * sumXX - sumX * sumX);
        if (std::abs(slope) * width > std::max(kStraightPx, typical / 2)) continue;
        // The smoothing along the line spreads its ends; they lie where the
        // line's own ink starts and stops.
        std::vector<double> strongest = weights;
        std::nth_element(strongest.begin(), strongest.begin() + strongest.size() * 3 / 4, strongest.end());
        const double least = kEndInk * strongest[strongest.size() * 3 / 4];
        std::size_t first = 0, last = weights.size() - 1;
        while (first < last && weights[first] < least) ++first;
        while (last > first && weights[last] < least) --last;
        // The smoothing lengthened every stroke; the ink itself must be long enough.
        if (columns[last] + 1 - columns[first] < kShortestLineMm * perMm) continue;
        lines.push_back({sum / kept, static_cast<double>(columns[first]), static_cast<double>(columns[last] + 1),
                         std::max(1.0, typical)});
    }
    return lines;
}

// Collinear pieces of one line (a dotted line's wider gaps, a break in the
// print) joined into one.
std::vector<PixelLine> joined(std::vector<PixelLine> lines, double perMm) {
    std::sort(lines.begin(), lines.end(), [](const PixelLine& a, const PixelLine& b) { return a.from < b.from; });
    std::vector<PixelLine> out;
    for (const PixelLine& line : lines) {
        auto same = std::find_if(out.begin(), out.end(), [&](const PixelLine& o) {
            return std::abs(o.position - line.position) <= std::max(0.3 * perMm, (o.thickness + line.thickness) / 2) &&
                   line.from - o.to <= kJoinMm * perMm;
        });
        if (same == out.end()) {
            out.push_back(line);
            continue;
        }
        const double a = same->to - same->from, b = line.to - line.from;
        same->position = (same->position * a + line.position * b) / (a + b);
        same->thickness = (same->thickness * a + line.thickness * b) / (a + b);
        same->to = std::max(same->to, line.to);
    }
    std::sort(out.begin(), out.end(), [](const PixelLine& a, const PixelLine& b) {
        return a.position != b.position ? a.position < b.position : a.from < b.from;
    });
    return out;
}

// The lines long enough for their thickness to be ruled lines.
std::vector<PixelLine> slender(std::vector<PixelLine> lines) {
    std::erase_if(lines, [](const PixelLine& line) { return line.to - line.from < kSlenderness * line.thickness; });
    return lines;
}

// Whether the stretch from along position from to to at position across the
// lines (a gap in a line, a line's missing end) holds faint ink all along:
// darker than the paper beyond what its noise explains. The lines across the
// stretch, and where they meet it, are left out.
bool faintInk(const cv::Mat& dark, const cv::Mat& across, const InkLevels& levels, double position, double from,
              double to, double perMm) {
    const int row = static_cast<int>(std::floor(position));
    const int aside = std::max(3, static_cast<int>(std::lround(kBesideMm * perMm)));
    const int x0 = std::clamp(static_cast<int>(from), 0, dark.cols);
    const int x1 = std::clamp(static_cast<int>(std::ceil(to)), 0, dark.cols);
    if (row - aside < 1 || row + aside + 2 > dark.rows || x1 <= x0) return false;
    // The stretch in pieces, each of which must hold the line: a caption's
    // ink lies in some pieces only, and as much beside the line as on it.
    const int chunk = std::max(3, static_cast<int>(std::lround(kBridgeChunkMm * perMm)));
    const int chunks = std::max(1, (x1 - x0) / chunk);
    int failed = 0;
    for (int c = 0; c < chunks; ++c) {
        const int c0 = x0 + (x1 - x0) * c / chunks, c1 = x0 + (x1 - x0) * (c + 1) / chunks;
        auto level = [&](int y, int& seen) {
            const cv::Rect strip(c0, y - 1, c1 - c0, 3);
            cv::Mat open;
            cv::dilate(across(strip), open, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(5, 1)));
            cv::bitwise_not(open, open);
            seen = cv::countNonZero(open);
            return seen > 0 ? cv::mean(dark(strip), open)[0] : 0.0;
        };
        int seen = 0, seenAbove = 0, seenBelow = 0;
        const double on = level(row, seen);
        const double beside = std::max(level(row - aside, seenAbove), level(row + aside, seenBelow));
        if (seen == 0) continue;  // wholly under a line across: nothing to tell
        const double chance = 4 * std::max(1.0, levels.noise) / std::sqrt(double(seen));
        if (on - std::max<double>(beside, levels.paper) < std::max(kBridgeExcess, chance)) ++failed;
    }
    // A faint line's dots drown in the noise here and there; a caption's ink fails most pieces.
    return failed <= kBridgeMisses * chunks;
}

// The lines' ends carried on to the nearest line across them when the
// stretch between holds faint ink: a faint dotted line runs on to its box.
std::vector<PixelLine> reachingEnds(std::vector<PixelLine> lines, const std::vector<PixelLine>& acrossLines,
                                    const cv::Mat& dark, const cv::Mat& across, const InkLevels& levels,
                                    double perMm) {
    const double reach = kMeetMm * perMm;
    for (PixelLine& line : lines) {
        // Across one box after another, while the faint ink goes on.
        for (bool grew = true; grew;) {
            grew = false;
            double before = -1, after = -1;
            for (const PixelLine& other : acrossLines) {
                if (other.from - reach > line.position || other.to + reach < line.position) continue;
                if (other.position < line.from - reach && (before < 0 || other.position > before)) before = other.position;
                if (other.position > line.to + reach && (after < 0 || other.position < after)) after = other.position;
            }
            if (before >= 0 && faintInk(dark, across, levels, line.position, before, line.from, perMm))
                line.from = before, grew = true;
            if (after >= 0 && faintInk(dark, across, levels, line.position, line.to, after, perMm))
                line.to = after, grew = true;
        }
    }
    return lines;
}

// Pieces of one faint dotted line that the noise broke apart, joined: two
// pieces on one line whose gap is darker than the paper all along (faint
// dots), not paper (two lines that happen to lie in a row).
std::vector<PixelLine> bridged(std::vector<PixelLine> lines, const cv::Mat& dark, const cv::Mat& across,
                               const InkLevels& levels, double perMm) {
    std::sort(lines.begin(), lines.end(), [](const PixelLine& a, const PixelLine& b) { return a.from < b.from; });
    std::vector<bool> gone(lines.size(), false);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (gone[i]) continue;
        PixelLine& a = lines[i];
        for (std::size_t j = i + 1; j < lines.size(); ++j) {
            // The next piece on the same line, in order along it.
            const PixelLine& b = lines[j];
            if (gone[j] || b.to <= a.to ||
                std::abs(a.position - b.position) > std::max(0.15 * perMm, (a.thickness + b.thickness) / 4))
                continue;
            const bool gapped = b.from > a.to;
            if (b.from - a.to > kBridgeMm * perMm ||
                (gapped && !faintInk(dark, across, levels, (a.position + b.position) / 2, a.to, b.from, perMm)))
                break;
            const double la = a.to - a.from, lb = b.to - b.from;
            a.position = (a.position * la + b.position * lb) / (la + lb);
            a.thickness = (a.thickness * la + b.thickness * lb) / (la + lb);
            a.to = b.to;
            gone[j] = true;
        }
    }
    std::vector<PixelLine> kept;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!gone[i]) kept.push_back(lines[i]);
    lines = std::move(kept);
    std::sort(lines.begin(), lines.end(), [](const PixelLine& a, const PixelLine& b) {
        return a.position != b.position ? a.position < b.position : a.from < b.from;
    });
    return lines;
}

// Whether horizontal h and vertical v meet (cross or touch).
bool meet(const PixelLine& h, const PixelLine& v, double reach);

// The lines that belong to the ruling: long ones, and short ones that meet a
// long line across them; a short stroke standing alone is a character's.
std::vector<PixelLine> ruled(const std::vector<PixelLine>& lines, const std::vector<PixelLine>& across, bool horizontal,
                             double perMm) {
    const double longLine = kAloneMm * perMm;
    std::vector<PixelLine> out;
    for (const PixelLine& line : lines) {
        const bool kept = line.to - line.from >= longLine ||
                          std::any_of(across.begin(), across.end(), [&](const PixelLine& other) {
                              return other.to - other.from >= longLine &&
                                     (horizontal ? meet(line, other, kMeetMm * perMm) : meet(other, line, kMeetMm * perMm));
                          });
        if (kept) out.push_back(line);
    }
    return out;
}

// Whether line (across) reaches position along it, within reach.
bool spans(const PixelLine& line, double at, double reach) { return line.from - reach <= at && at <= line.to + reach; }

// Whether horizontal h and vertical v meet (cross or touch).
bool meet(const PixelLine& h, const PixelLine& v, double reach) {
    return spans(h, v.position, reach + v.thickness / 2) && spans(v, h.position, reach + h.thickness / 2);
}

// The smallest boxes: for each top line and each vertical that meets it, the
// nearest vertical to its right that meets the top line and, with it, a
// common bottom line that spans both.
std::vector<PixelBox> findBoxes(const std::vector<PixelLine>& horizontal, const std::vector<PixelLine>& vertical,
                                double perMm) {
    const double reach = kMeetMm * perMm;
    std::vector<PixelBox> boxes;
    for (std::size_t t = 0; t < horizontal.size(); ++t) {
        const PixelLine& top = horizontal[t];
        std::vector<std::size_t> crossing;
        for (std::size_t v = 0; v < vertical.size(); ++v)
            if (meet(top, vertical[v], reach)) crossing.push_back(v);
        std::sort(crossing.begin(), crossing.end(),
                  [&](std::size_t a, std::size_t b) { return vertical[a].position < vertical[b].position; });
        for (std::size_t i = 0; i < crossing.size(); ++i) {
            const PixelLine& left = vertical[crossing[i]];
            bool closed = false;
            for (std::size_t j = i + 1; j < crossing.size() && !closed; ++j) {
                const PixelLine& right = vertical[crossing[j]];
                if (right.position - left.position < reach) continue;
                // The nearest line below that both sides reach down to and that spans them.
                const PixelLine* bottom = nullptr;
                for (const PixelLine& h : horizontal) {
                    if (h.position - top.position < reach) continue;
                    if (bottom && h.position >= bottom->position) continue;
                    if (meet(h, left, reach) && meet(h, right, reach)) bottom = &h;
                }
                if (!bottom) continue;
                closed = true;
                const double inset = std::max({top.thickness, bottom->thickness, left.thickness, right.thickness}) / 2;
                boxes.push_back({left.position, top.position, right.position, bottom->position, inset});
            }
        }
    }
    return boxes;
}

// Where the found lines' ink lies, a little widened: horizontal ones as
// they are, vertical ones transposed.
cv::Mat foundLineInk(const std::vector<PixelLine>& horizontal, const std::vector<PixelLine>& vertical, cv::Size size) {
    cv::Mat mask = cv::Mat::zeros(size, CV_8UC1);
    constexpr double kWiden = 2;  // pixels beyond the measured ink: blur and noise at its edges
    auto draw = [&](const PixelLine& line, bool across) {
        const double half = line.thickness / 2 + kWiden;
        const cv::Point2d a(line.from - kWiden, line.position - half), b(line.to + kWiden, line.position + half);
        const cv::Point p1 = across ? cv::Point(int(a.y), int(a.x)) : cv::Point(int(a.x), int(a.y));
        const cv::Point p2 = across ? cv::Point(int(std::ceil(b.y)), int(std::ceil(b.x)))
                                    : cv::Point(int(std::ceil(b.x)), int(std::ceil(b.y)));
        cv::rectangle(mask, p1, p2, cv::Scalar(255), cv::FILLED);
    };
    for (const PixelLine& line : horizontal) draw(line, false);
    for (const PixelLine& line : vertical) draw(line, true);
    return mask;
}

// Whether each box holds ink of its own: ink that is no part of a found line,
// cleared of specks, amounting to more than a trace. Only the boxes' insides
// are looked at.
std::vector<bool> boxesWithInk(const std::vector<PixelBox>& boxes, const cv::Mat& dark, const InkLevels& levels,
                               const cv::Mat& lineInk, double perMm) {
    const double least = kLeastCaptionInkMm2 * perMm * perMm;
    const cv::Rect page(0, 0, dark.cols, dark.rows);
    const cv::Mat speck = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(2, 2));
    std::vector<bool> inked;
    for (const PixelBox& box : boxes) {
        const double inset = box.inset + kInkMarginMm * perMm;
        const int x0 = static_cast<int>(std::ceil(box.left + inset)), x1 = static_cast<int>(std::floor(box.right - inset));
        const int y0 = static_cast<int>(std::ceil(box.top + inset)), y1 = static_cast<int>(std::floor(box.bottom - inset));
        const cv::Rect inside = cv::Rect(x0, y0, x1 - x0, y1 - y0) & page;
        if (inside.width < 2 || inside.height < 2) {
            inked.push_back(false);
            continue;
        }
        cv::Mat own = binary(dark(inside), levels.ink);
        cv::subtract(own, lineInk(inside), own);
        cv::morphologyEx(own, own, cv::MORPH_OPEN, speck);
        inked.push_back(cv::countNonZero(own) >= least);
    }
    return inked;
}

ScanLine inMm(const PixelLine& line, double perMm) {
    return {line.position / perMm, line.from / perMm, line.to / perMm, line.thickness / perMm};
}

}  // namespace

ScanLines detectScanLines(const QImage& scan, double dpi, std::optional<double> skewDegrees) {
    ScanLines result;
    if (scan.isNull() || !isPlausibleDpi(dpi) || scan.width() < 2 || scan.height() < 2) return result;
    const double perMm = dpi / kMmPerInch;
    const cv::Mat raw = darkness(scan);
    const InkLevels levels = inkLevels(raw, alongPx(perMm));
    result.skewDegrees = skewDegrees ? std::clamp(*skewDegrees, -45.0, 45.0) : measureSkew(raw, levels, dpi);
    const cv::Mat dark = straightened(raw, result.skewDegrees);
    // Vertical lines are found as horizontal ones in the transposed scan:
    // one pass of code, and smoothing and runs along rows are the faster.
    cv::Mat darkT;
    cv::transpose(dark, darkT);
    const int along = alongPx(perMm);
    const cv::Mat rowInk = lineInkAlongRows(dark, levels.line, along);
    const cv::Mat columnInkT = lineInkAlongRows(darkT, levels.line, along);

    const int gap = std::max(2, static_cast<int>(std::lround(kDotGapMm * perMm)));
    const int length = std::max(5, static_cast<int>(std::lround(kShortestLineMm * perMm)));
    const cv::Mat rows = horizontalRuns(rowInk, gap, length);
    const cv::Mat columnsT = horizontalRuns(columnInkT, gap, length);
    cv::Mat columns, rowsT;
    cv::transpose(columnsT, columns);
    cv::transpose(rows, rowsT);

    auto found = [&](const cv::Mat& d, const cv::Mat& ink, const cv::Mat& runs, const cv::Mat& across) {
        return slender(bridged(joined(measureLines(d, ink, runs, across, levels, perMm), perMm), d, across, levels, perMm));
    };
    const std::vector<PixelLine> horizontalFound = found(dark, rowInk, rows, columns);
    const std::vector<PixelLine> verticalFound = found(darkT, columnInkT, columnsT, rowsT);
    const std::vector<PixelLine> horizontal =
        ruled(reachingEnds(horizontalFound, verticalFound, dark, columns, levels, perMm), verticalFound, true, perMm);
    const std::vector<PixelLine> vertical =
        ruled(reachingEnds(verticalFound, horizontalFound, darkT, rowsT, levels, perMm), horizontalFound, false, perMm);

    const std::vector<PixelBox> boxes = findBoxes(horizontal, vertical, perMm);
    const std::vector<bool> inked = boxesWithInk(boxes, dark, levels, foundLineInk(horizontal, vertical, dark.size()), perMm);

    for (const PixelLine& line : horizontal) result.horizontal.push_back(inMm(line, perMm));
    for (const PixelLine& line : vertical) result.vertical.push_back(inMm(line, perMm));
    for (std::size_t i = 0; i < boxes.size(); ++i)
        result.boxes.push_back({boxes[i].left / perMm, boxes[i].top / perMm, boxes[i].right / perMm,
                                boxes[i].bottom / perMm, inked[i]});
    std::sort(result.boxes.begin(), result.boxes.end(), [](const ScanBox& a, const ScanBox& b) {
        return a.top != b.top ? a.top < b.top : a.left < b.left;
    });
    return result;
}

}  // namespace zarvo

#pragma once
// How a data frame's value is drawn as a symbol: the kind of code and its
// options, as read from the keys of a block's section in the form profile.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zarvo {

enum class SymbolKind { Text, Code39, Code128, Ean13, Qr, DataMatrix, Pdf417 };

// QR Code error correction: about 7, 15, 25 and 30 % of the symbol recoverable.
enum class QrEcc { L, M, Q, H };

// The bytes a 2D symbol holds: the value's Big5 bytes as they are, or the
// value turned into UTF-8.
enum class SymbolEncoding { Big5, Utf8 };

struct SymbolSpec {
    SymbolKind kind = SymbolKind::Text;
    double moduleMm = 0.33;               // narrow bar (1D) or module (2D) width, mm
    std::optional<double> barHeightMm;    // 1D bar height, mm; nullopt: the frame's less the text line
    QrEcc ecc = QrEcc::M;
    bool showText = true;                 // 1D: the value printed under the bars
    SymbolEncoding encoding = SymbolEncoding::Big5;
    int quietModules = 10;                // quiet zone kept free inside the frame, in modules
};

using ProfileKeys = std::vector<std::pair<std::string, std::string>>;

// Reads kind, module, height, ecc, text, encoding and quiet from a block
// section's UTF-8 key/value pairs (keys in any case, other keys ignored);
// options a kind does not use are checked but have no effect. Defaults
// depend on the kind. Throws SymbolError naming the key and the reason.
SymbolSpec parseSymbolSpec(const ProfileKeys& keys);

// True for the one-row bar codes (Code 39, Code 128, EAN-13).
bool isLinear(SymbolKind kind);

// The symbology's name as users know it ("Code 39", "QR Code", ...); "文字" for Text.
std::string symbolName(SymbolKind kind);

}  // namespace zarvo

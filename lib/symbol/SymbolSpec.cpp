#include "symbol/SymbolSpec.h"

#include "symbol/SymbolError.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace zarvo {
namespace {

struct KindName {
    std::string_view key;
    SymbolKind kind;
};

constexpr std::array<KindName, 7> kindNames{{
    {"text", SymbolKind::Text},
    {"code39", SymbolKind::Code39},
    {"code128", SymbolKind::Code128},
    {"ean13", SymbolKind::Ean13},
    {"qr", SymbolKind::Qr},
    {"datamatrix", SymbolKind::DataMatrix},
    {"pdf417", SymbolKind::Pdf417},
}};

constexpr double minModuleMm = 0.05;
constexpr double maxModuleMm = 10;
constexpr double maxBarHeightMm = 1000;
constexpr int maxQuietModules = 50;

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::string asciiLower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return text;
}

[[noreturn]] void refuse(std::string_view key, std::string_view value, std::string_view reason)
{
    throw SymbolError("選項 " + std::string(key) + " 的值「" + std::string(value) + "」" +
                      std::string(reason));
}

// A plain decimal number (no unit, no exponent); nullopt for anything else.
std::optional<double> decimal(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

SymbolKind parseKind(const std::string& value)
{
    const std::string lower = asciiLower(value);
    for (const KindName& name : kindNames) {
        if (name.key == lower) return name.kind;
    }
    refuse("kind", value, "不是可用的種類（text、code39、code128、ean13、qr、datamatrix、pdf417）");
}

double parseModule(const std::string& value)
{
    const auto mm = decimal(value);
    if (!mm || *mm < minModuleMm || *mm > maxModuleMm) {
        refuse("module", value, "不是 0.05 到 10 之間的毫米數");
    }
    return *mm;
}

double parseBarHeight(const std::string& value)
{
    const auto mm = decimal(value);
    if (!mm || *mm <= 0 || *mm > maxBarHeightMm) {
        refuse("height", value, "不是大於 0、最多 1000 的毫米數");
    }
    return *mm;
}

QrEcc parseEcc(const std::string& value)
{
    const std::string lower = asciiLower(value);
    if (lower == "l") return QrEcc::L;
    if (lower == "m") return QrEcc::M;
    if (lower == "q") return QrEcc::Q;
    if (lower == "h") return QrEcc::H;
    refuse("ecc", value, "不是 L、M、Q 或 H");
}

bool parseYesNo(const std::string& value)
{
    const std::string lower = asciiLower(value);
    if (lower == "yes") return true;
    if (lower == "no") return false;
    refuse("text", value, "不是 yes 或 no");
}

SymbolEncoding parseEncoding(const std::string& value)
{
    const std::string lower = asciiLower(value);
    if (lower == "big5") return SymbolEncoding::Big5;
    if (lower == "utf-8" || lower == "utf8") return SymbolEncoding::Utf8;
    refuse("encoding", value, "不是 big5 或 utf-8");
}

int parseQuiet(const std::string& value)
{
    int modules = -1;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), modules);
    if (value.empty() || error != std::errc{} || end != value.data() + value.size() ||
        modules < 0 || modules > maxQuietModules) {
        refuse("quiet", value, "不是 0 到 50 之間的整數");
    }
    return modules;
}

int defaultQuietModules(SymbolKind kind)
{
    switch (kind) {
    case SymbolKind::Qr: return 4;
    case SymbolKind::DataMatrix: return 1;
    case SymbolKind::Pdf417: return 2;
    default: return 10;
    }
}

}  // namespace

bool isLinear(SymbolKind kind)
{
    return kind == SymbolKind::Code39 || kind == SymbolKind::Code128 || kind == SymbolKind::Ean13;
}

std::string symbolName(SymbolKind kind)
{
    switch (kind) {
    case SymbolKind::Text: return "文字";
    case SymbolKind::Code39: return "Code 39";
    case SymbolKind::Code128: return "Code 128";
    case SymbolKind::Ean13: return "EAN-13";
    case SymbolKind::Qr: return "QR Code";
    case SymbolKind::DataMatrix: return "Data Matrix";
    case SymbolKind::Pdf417: return "PDF417";
    }
    return {};
}

SymbolSpec parseSymbolSpec(const ProfileKeys& keys)
{
    SymbolSpec spec;
    std::optional<double> moduleMm;
    std::optional<int> quiet;
    for (const auto& [rawKey, rawValue] : keys) {
        const std::string key = asciiLower(trimmed(rawKey));
        const std::string value = trimmed(rawValue);
        if (key == "kind") spec.kind = parseKind(value);
        else if (key == "module") moduleMm = parseModule(value);
        else if (key == "height") spec.barHeightMm = parseBarHeight(value);
        else if (key == "ecc") spec.ecc = parseEcc(value);
        else if (key == "text") spec.showText = parseYesNo(value);
        else if (key == "encoding") spec.encoding = parseEncoding(value);
        else if (key == "quiet") quiet = parseQuiet(value);
        // Value formats (format, decimals, ...) and unknown keys belong to others.
    }
    spec.moduleMm = moduleMm.value_or(isLinear(spec.kind) ? 0.33 : 0.5);
    spec.quietModules = quiet.value_or(defaultQuietModules(spec.kind));
    return spec;
}

}  // namespace zarvo

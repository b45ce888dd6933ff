#include "engine/BlockStyle.h"

#include <cctype>
#include <charconv>
#include <optional>
#include <string>
#include <utility>

#include "engine/XPrint.h"
#include "report/Big5.h"
#include "symbol/SymbolError.h"
#include "symbol/SymbolMatrix.h"
#include "symbol/SymbolValue.h"

namespace zarvo {

namespace {

// The section's usable entries as the parsers take them, in file order.
FormatKeys keysOf(const ProfileSection& section) {
    FormatKeys keys;
    for (const ProfileEntry& entry : section.entries) {
        if (!entry.verbatim) keys.emplace_back(entry.key, entry.value);
    }
    return keys;
}

bool isKeyCharacter(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return std::isalnum(byte) || c == '-' || c == '_';
}

// Where key stands as a word of message, npos when it does not.
std::size_t keyPosition(const std::string& message, const std::string& key) {
    if (key.empty()) return std::string::npos;
    for (std::size_t at = message.find(key); at != std::string::npos; at = message.find(key, at + 1)) {
        const bool before = at == 0 || !isKeyCharacter(message[at - 1]);
        const std::size_t end = at + key.size();
        const bool after = end == message.size() || !isKeyCharacter(message[end]);
        if (before && after) return at;
    }
    return std::string::npos;
}

// The fault of reason: on the line of the key the reason names first (the
// last entry of that key, which is the second of a key given twice), else
// on the section's header.
ProfileFault faultNaming(const ProfileSection& section, std::string reason) {
    const ProfileEntry* named = nullptr;
    std::size_t namedAt = std::string::npos;
    for (const ProfileEntry& entry : section.entries) {
        const std::size_t at = keyPosition(reason, entry.key);
        if (at != std::string::npos && (named == nullptr || at <= namedAt)) {
            named = &entry;
            namedAt = at;
        }
    }
    if (!named) return ProfileFault{section.line, std::move(reason), {}};
    return ProfileFault{named->line, std::move(reason), named->key};
}

// shrink= and min=: why they cannot be used, nullopt when they can.
std::optional<std::string> readShrink(const ProfileSection& section, BlockStyle& style) {
    const std::string* shrink = section.value("shrink");
    const std::string* min = section.value("min");
    if (shrink) {
        if (*shrink != "yes" && *shrink != "no") return "shrink 必須是 yes 或 no";
        style.shrink = *shrink == "yes";
    }
    if (style.shrink && (style.isSymbol() || style.format.cells > 0)) return "shrink 只用於不分格的文字";
    if (!min) return std::nullopt;
    if (!style.shrink) return "min 只用於 shrink=yes";
    double value = 0;
    const auto [end, fault] = std::from_chars(min->data(), min->data() + min->size(), value);
    if (fault != std::errc() || end != min->data() + min->size() || !(value >= 0.5 && value <= 100)) {
        return "min 必須是 0.5 到 100 之間的 mm 數";
    }
    style.minCharMm = value;
    return std::nullopt;
}

// A kind=image section: its picture keys, and none of text's.
ParsedBlockStyle pictureBlockStyle(const ProfileSection& section, const FormatKeys& keys) {
    ParsedBlockStyle parsed;
    ParsedPictureStyle picture = readPictureStyle(keys);
    if (!picture.error.empty()) {
        parsed.fault = faultNaming(section, picture.error);
        return parsed;
    }
    parsed.style.picture = std::move(picture.style);
    for (const char* key : {"format", "cells", "shrink"}) {
        if (section.value(key)) {
            parsed.fault = faultNaming(section, std::string(key) + " 不用於 kind=image");
            return parsed;
        }
    }
    return parsed;
}

}  // namespace

ParsedBlockStyle parseBlockStyle(const ProfileSection& section) {
    const FormatKeys keys = keysOf(section);
    if (isPictureKind(keys)) return pictureBlockStyle(section, keys);
    ParsedBlockStyle parsed;
    try {
        parsed.style.symbol = parseSymbolSpec(keys);
    } catch (const SymbolError& error) {
        parsed.fault = faultNaming(section, error.what());
        return parsed;
    }
    ParsedValueFormat format = parseValueFormat(keys);
    if (!format.ok()) {
        parsed.fault = faultNaming(section, format.error);
        return parsed;
    }
    parsed.style.format = std::move(format.format);
    if (parsed.style.isSymbol() && parsed.style.format.cells > 0) {
        parsed.fault = faultNaming(section, "cells 只用於 kind=text, 條碼與二維條碼不分格");
        return parsed;
    }
    if (std::optional<std::string> error = readShrink(section, parsed.style)) parsed.fault = faultNaming(section, *error);
    return parsed;
}

void checkBlockSections(FormProfile& profile) {
    for (ProfileSection& section : profile.sections) {
        if (!blockNameOf(section.name)) continue;
        if (std::optional<ProfileFault> fault = parseBlockStyle(section).fault) {
            section.faults.push_back(std::move(*fault));
        }
    }
}

BlockValue prepareBlockValue(const BlockStyle& style, std::string_view big5Value) {
    // A picture's value is a name; whether it can be drawn is pictureFault's.
    if (style.isPicture()) return {std::string(big5Value), ""};
    FormattedValue formatted = formatValue(style.format, big5Value);
    if (!formatted.ok()) return {"", std::move(formatted.error)};
    if (!style.isSymbol() || formatted.text.empty()) return {std::move(formatted.text), ""};
    try {
        encodeSymbol(style.symbol, symbolData(style.symbol, formatted.text));
    } catch (const SymbolError& error) {
        return {"", error.what()};
    }
    return {std::move(formatted.text), ""};
}

std::string fieldValueMessage(std::string_view big5Name, const std::string& reason) {
    return "欄位「" + big5ToUtf8(std::string(big5Name)) + "」: " + reason;
}

std::string blockValueFault(const FormProfile& profile, std::string_view big5Name, std::string_view big5Value) {
    const ProfileSection* section = profile.block(big5Name);
    if (!section || isBlankFrame(big5Value)) return {};
    const ParsedBlockStyle parsed = parseBlockStyle(*section);
    if (parsed.fault) return {};
    const BlockValue value = prepareBlockValue(parsed.style, big5Value);
    return value.ok() ? std::string() : fieldValueMessage(big5Name, value.error);
}

std::string blockValueFault(const FormProfile& profile, std::string_view big5Name, std::string_view big5Value,
                            const PictureFolders& folders) {
    const ProfileSection* section = profile.block(big5Name);
    if (!section || isBlankFrame(big5Value)) return {};
    const ParsedBlockStyle parsed = parseBlockStyle(*section);
    if (parsed.fault || !parsed.style.isPicture()) return blockValueFault(profile, big5Name, big5Value);
    // A fixed picture is the form's, checked once; an empty value draws nothing.
    if (!parsed.style.picture->fixedFile.empty() || big5Value.empty()) return {};
    const std::string reason = pictureFault(*parsed.style.picture, big5ToUtf8(std::string(big5Value)), folders);
    return reason.empty() ? std::string() : fieldValueMessage(big5Name, reason);
}

bool isPictureBlock(const FormProfile& profile, std::string_view big5Name) {
    const ProfileSection* section = profile.block(big5Name);
    if (!section) return false;
    const ParsedBlockStyle parsed = parseBlockStyle(*section);
    return !parsed.fault && parsed.style.isPicture();
}

std::string fixedPictureFault(const FormProfile& profile, const std::vector<std::string>& big5Names,
                              const PictureFolders& folders) {
    for (const std::string& name : big5Names) {
        const ProfileSection* section = profile.block(name);
        if (!section) continue;
        const ParsedBlockStyle parsed = parseBlockStyle(*section);
        if (parsed.fault || !parsed.style.isPicture() || parsed.style.picture->fixedFile.empty()) continue;
        const std::string reason = pictureFault(*parsed.style.picture, "", folders);
        if (!reason.empty()) return fieldValueMessage(name, reason);
    }
    return {};
}

}  // namespace zarvo

#include "recovery/RecoveryFormat.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace zarvo {

namespace {

constexpr std::string_view magic = "ZARVO-RECOVERY";
constexpr std::string_view version = "2";
// Copies of version 1 hold no profile.
constexpr std::string_view versionWithoutProfile = "1";

// FNV-1a 64, continued from hash over bytes.
std::uint64_t fnv1a(std::string_view bytes, std::uint64_t hash = 14695981039346656037u) {
    for (unsigned char byte : bytes) {
        hash ^= byte;
        hash *= 1099511628211u;
    }
    return hash;
}

std::vector<std::string_view> splitAtBlanks(std::string_view line) {
    std::vector<std::string_view> fields;
    while (true) {
        std::size_t blank = line.find(' ');
        fields.push_back(line.substr(0, blank));
        if (blank == std::string_view::npos) return fields;
        line.remove_prefix(blank + 1);
    }
}

// A whole field as a number in base; nothing for an empty field, a sign
// where the type has none, or anything after the digits.
template <typename Number>
std::optional<Number> parseNumber(std::string_view field, int base = 10) {
    Number value{};
    const char* end = field.data() + field.size();
    auto [stop, error] = std::from_chars(field.data(), end, value, base);
    if (field.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

}  // namespace

std::string recoveryHeader(const RecoveryCopy& copy) {
    std::string signedPart = std::string(magic) + " " + std::string(version) + " " +
                             std::to_string(copy.savedAtMs) + " " + std::to_string(copy.text.size()) +
                             " " + std::to_string(copy.testData.size()) + " " +
                             std::to_string(copy.fileName.size()) + " " +
                             std::to_string(copy.profile.value_or("").size());
    std::uint64_t check = fnv1a(signedPart);
    const std::string profile = copy.profile.value_or("");
    for (const std::string* part : {&copy.text, &copy.testData, &copy.fileName, &profile}) check = fnv1a(*part, check);
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(check));
    return signedPart + " " + hex + "\n";
}

std::optional<RecoveryCopy> parseRecoveryCopy(std::string_view file) {
    std::size_t lineEnd = file.substr(0, maxRecoveryHeaderBytes).find('\n');
    if (lineEnd == std::string_view::npos) return std::nullopt;
    std::string_view line = file.substr(0, lineEnd);
    std::string_view body = file.substr(lineEnd + 1);
    std::size_t lastBlank = line.rfind(' ');
    if (lastBlank == std::string_view::npos) return std::nullopt;
    std::string_view signedPart = line.substr(0, lastBlank);
    std::string_view checkField = line.substr(lastBlank + 1);

    std::vector<std::string_view> fields = splitAtBlanks(signedPart);
    const bool withProfile = fields.size() == 7 && fields[1] == version;
    const bool withoutProfile = fields.size() == 6 && fields[1] == versionWithoutProfile;
    if (fields[0] != magic || !(withProfile || withoutProfile)) return std::nullopt;
    const int parts = withProfile ? 4 : 3;
    auto savedAtMs = parseNumber<std::int64_t>(fields[2]);
    // Exactly as written: 16 lower-case hex digits, so that no other spelling passes.
    bool checkSpelled = checkField.size() == 16 &&
                        checkField.find_first_not_of("0123456789abcdef") == std::string_view::npos;
    auto check = checkSpelled ? parseNumber<std::uint64_t>(checkField, 16) : std::nullopt;
    if (!savedAtMs || !check) return std::nullopt;
    std::size_t sizes[4] = {};
    std::size_t total = 0;
    for (int i = 0; i < parts; ++i) {
        auto size = parseNumber<std::uint64_t>(fields[3 + i]);
        // Each size is bounded before it is added, so the sum cannot wrap.
        if (!size || *size > maxRecoveryTextBytes) return std::nullopt;
        sizes[i] = static_cast<std::size_t>(*size);
        total += sizes[i];
    }
    if (total != body.size() || fnv1a(body, fnv1a(signedPart)) != *check) return std::nullopt;

    RecoveryCopy copy;
    copy.savedAtMs = *savedAtMs;
    copy.text = body.substr(0, sizes[0]);
    copy.testData = body.substr(sizes[0], sizes[1]);
    copy.fileName = body.substr(sizes[0] + sizes[1], sizes[2]);
    if (withProfile) copy.profile = std::string(body.substr(sizes[0] + sizes[1] + sizes[2]));
    return copy;
}

}  // namespace zarvo

#pragma once
// One recovery copy: the designer's unsaved document as it stood at one moment.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace zarvo {

struct RecoveryCopy {
    std::string text;            // the report text, UTF-8
    std::string testData;        // the test data text, UTF-8
    std::string fileName;        // the report's path, UTF-8; empty for a report never saved
    std::int64_t savedAtMs = 0;  // when the copy was taken, in ms since the Unix epoch
    std::filesystem::path path;  // the copy file it was read from; not used when writing
    // The form profile's text as it would be saved (UTF-8); nullopt in a
    // copy from before profiles were kept, whose profile is the file's.
    std::optional<std::string> profile;
};

}  // namespace zarvo

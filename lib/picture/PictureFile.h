#pragma once
// A picture's bytes as a block names them: a file inside a folder (never
// outside it, links resolved) or a data: value. Standard C++ and POSIX.

#include <cstddef>
#include <cstdint>
#include <string>

namespace zarvo {

// The largest picture file read, bytes (64 MiB).
inline constexpr std::int64_t kMaxPictureFileBytes = std::int64_t(64) << 20;

// The longest data: value taken, bytes: a page's data file keeps a value
// of up to 1 MiB, so a longer one would reach the drawing cut short.
inline constexpr std::size_t kMaxDataUriBytes = std::size_t(1) << 20;

// A picture found: the key that names these bytes for a cache (the real
// path, size and change time, or the data: value itself), or why it cannot
// be used (UTF-8, naming the picture).
struct PictureLocation {
    std::string key;
    std::string path;     // the real path of a file; empty for a data: value
    std::string dataUri;  // a data: value as given
    std::string error;
    bool ok() const { return error.empty(); }
};

// Finds name (UTF-8): a data:image/...;base64, value, or a file name
// relative to folder (UTF-8), which must exist and lie inside folder once
// links are resolved; an absolute name or one with a ".." part is refused.
PictureLocation locatePicture(const std::string& folder, const std::string& name);

// The bytes at location, read once from the file it found (the file opened
// must still be that path inside folder) or decoded from its base64; or why
// they cannot be had. Files over kMaxPictureFileBytes are refused unread.
struct PictureBytes {
    std::string bytes;
    std::string error;
    bool ok() const { return error.empty(); }
};
PictureBytes readPicture(const PictureLocation& location, const std::string& shownName);

// The folder of path (UTF-8): everything before its last '/', "." for none.
std::string folderOf(const std::string& path);

}  // namespace zarvo

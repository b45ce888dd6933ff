#include "picture/PictureFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zarvo {

namespace {

constexpr std::string_view kDataPrefix = "data:image/";

// The real path of path, links resolved; empty when it cannot be found.
std::string realPath(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

bool liesInside(const std::string& path, const std::string& folder) {
    if (folder == "/") return path.size() > 1 && path.front() == '/';
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

bool hasParentPart(const std::string& name) {
    std::istringstream parts(name);
    for (std::string part; std::getline(parts, part, '/');) {
        if (part == "..") return true;
    }
    return false;
}

PictureLocation refused(std::string error) {
    PictureLocation location;
    location.error = std::move(error);
    return location;
}

PictureLocation dataLocation(const std::string& value) {
    // data:image/TYPE;base64,PAYLOAD; only base64 holds a picture's bytes safely.
    const std::size_t comma = value.find(',');
    const std::string head = value.substr(0, comma);
    constexpr std::string_view kBase64 = ";base64";
    if (value.rfind(kDataPrefix, 0) != 0 || comma == std::string::npos || head.size() < kBase64.size() ||
        head.compare(head.size() - kBase64.size(), kBase64.size(), kBase64) != 0) {
        return refused("data: 圖片必須是 data:image/...;base64, 的寫法");
    }
    if (value.size() > kMaxDataUriBytes) return refused("data: 圖片超過 1 MiB, 請改用圖片檔");
    PictureLocation location;
    location.key = value;
    location.dataUri = value;
    return location;
}

int base64Digit(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+' || c == '-') return 62;
    if (c == '/' || c == '_') return 63;
    return -1;
}

// The bytes of base64 text (padding optional, blanks skipped); nullopt-like
// false on any other character.
bool decodeBase64(std::string_view text, std::string& out) {
    out.reserve(text.size() / 4 * 3);
    unsigned bits = 0;
    int count = 0;
    bool padded = false;
    for (unsigned char c : text) {
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t') continue;
        if (c == '=') {
            padded = true;
            continue;
        }
        const int digit = base64Digit(c);
        if (digit < 0 || padded) return false;
        bits = (bits << 6) | unsigned(digit);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<char>((bits >> count) & 0xff));
        }
    }
    return true;
}

// The path the open file fd was reached by, as the kernel knows it.
std::string openedPath(int fd) {
    char buffer[PATH_MAX + 1];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = readlink(link.c_str(), buffer, PATH_MAX);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

}  // namespace

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

PictureLocation locatePicture(const std::string& folder, const std::string& name) {
    if (name.rfind("data:", 0) == 0) return dataLocation(name);
    if (name.empty()) return refused("圖片沒有檔名");
    if (name.front() == '/' || hasParentPart(name)) {
        return refused("圖片「" + name + "」必須是資料夾裡的相對路徑, 不可用絕對路徑或「..」");
    }
    const std::string base = realPath(folder);
    if (base.empty()) return refused("找不到圖片的資料夾「" + folder + "」");
    const std::string path = realPath(base + "/" + name);
    if (path.empty()) return refused("找不到圖片「" + name + "」");
    if (!liesInside(path, base)) return refused("圖片「" + name + "」在資料夾之外 (連結指向別處)");
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return refused("圖片「" + name + "」不是一般檔案");
    }
    if (status.st_size > kMaxPictureFileBytes) return refused("圖片「" + name + "」的檔案超過 64 MiB");
    PictureLocation location;
    location.path = path;
    location.key = path + "\n" + std::to_string(status.st_size) + "\n" + std::to_string(status.st_mtim.tv_sec) +
                   "." + std::to_string(status.st_mtim.tv_nsec);
    return location;
}

PictureBytes readPicture(const PictureLocation& location, const std::string& shownName) {
    PictureBytes result;
    if (!location.ok()) {
        result.error = location.error;
        return result;
    }
    if (!location.dataUri.empty()) {
        const std::string_view value = location.dataUri;
        if (!decodeBase64(value.substr(value.find(',') + 1), result.bytes)) {
            result.error = "data: 圖片的 base64 內容有誤";
        }
        return result;
    }
    const int fd = open(location.path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        result.error = "無法讀取圖片「" + shownName + "」: " + std::strerror(errno);
        return result;
    }
    // What was opened must be the file that was checked: a link swapped in
    // since then, at the end (O_NOFOLLOW) or on the way, is refused.
    if (openedPath(fd) != location.path) {
        close(fd);
        result.error = "圖片「" + shownName + "」讀取時已被換成別的檔案";
        return result;
    }
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > kMaxPictureFileBytes) {
        close(fd);
        result.error = "無法讀取圖片「" + shownName + "」: 不是一般檔案或超過 64 MiB";
        return result;
    }
    result.bytes.resize(static_cast<std::size_t>(status.st_size));
    std::size_t done = 0;
    while (done < result.bytes.size()) {
        const ssize_t got = read(fd, result.bytes.data() + done, result.bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    close(fd);
    // A file that shrank while read is read as far as it went; the decoder
    // judges those bytes.
    result.bytes.resize(done);
    return result;
}

}  // namespace zarvo

#pragma once
// A temporary directory for one test, removed with everything in it.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace zarvo::test {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zarvo-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Writes bytes to name inside the directory and returns its full path.
    std::string write(const std::string& name, std::string_view bytes) const {
        std::filesystem::path file = path_ / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file.string();
    }

    // The whole content of a file.
    static std::string read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path path_;
};

}  // namespace zarvo::test

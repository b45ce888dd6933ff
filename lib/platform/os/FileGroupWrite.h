#pragma once
// Writing several files as one whole: a report and the settings beside it
// are either both replaced or both left as they were.

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "report/ReportError.h"

namespace zarvo {

// A file of a group that could not be written; what() names it and the
// reason in Chinese and says that no file was changed.
class FileGroupError : public ReportError {
public:
    FileGroupError(std::string path, const std::string& message) : ReportError(message), path_(std::move(path)) {}
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

class FileGroupWrite {
public:
    // How a file is renamed into place; ::rename unless a test says otherwise.
    using Rename = std::function<int(const char* from, const char* to)>;

    explicit FileGroupWrite(Rename rename = ::rename);
    // Removes every temporary file not yet renamed into place.
    ~FileGroupWrite();
    FileGroupWrite(const FileGroupWrite&) = delete;
    FileGroupWrite& operator=(const FileGroupWrite&) = delete;

    // Writes bytes to a new temporary file beside path (the target of a
    // symlink), synced to disk, with the mode of the file it will replace.
    // Throws FileGroupError naming path when it cannot; the temporaries
    // written so far are removed.
    void add(const std::string& path, std::string_view bytes);

    // Renames every added file into place, in the order added. When one
    // cannot be, those already renamed are put back as they were (a file
    // that was not there is removed again; one on a file system without
    // hard links keeps its new content) and FileGroupError names it.
    void commit();

private:
    struct Staged {
        std::string path;       // where the file goes
        std::string temporary;  // where it is written first
        std::string backup;     // a second name of the file it replaces, empty when none
        bool replaces = false;  // a file was at path when the renames began
    };

    void removeTemporaries();
    void linkBackups();
    void undo(std::size_t renamed);

    Rename rename_;
    std::vector<Staged> staged_;
};

}  // namespace zarvo

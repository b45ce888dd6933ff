#pragma once
// Reading files the program finds by itself (settings, corrections,
// recovery copies, pictures beside a report) without ever waiting on one:
// only a regular file of a sane size is read. A FIFO, a device, a socket or
// a directory in such a place is a damaged file, never something to block
// on or to read without end.

#include <fcntl.h>

#include <cstdint>
#include <string>

#include "platform/os/UniqueFd.h"

namespace zarvo {

enum class RegularFileStatus {
    Opened,      // a regular file of at most the size allowed
    Missing,     // nothing at the path
    NotRegular,  // a FIFO, device, socket, directory, or a symlink when links are not followed
    TooLarge,    // a regular file larger than allowed
    Unreadable,  // it could not be opened or read (permission, I/O error)
};

struct RegularFileOptions {
    int directoryFd = AT_FDCWD;  // a relative path is taken from this directory
    bool followLinks = true;     // false: a final symlink counts as NotRegular
};

// An open regular file, or why there is none.
struct OpenedRegularFile {
    UniqueFd fd;  // open for reading, blocking again, when status is Opened
    RegularFileStatus status = RegularFileStatus::Missing;
    int error = 0;           // errno for Unreadable
    std::uint64_t size = 0;  // bytes, when Opened
};

// Opens path for reading with O_NONBLOCK, so that a FIFO cannot hold the
// caller, and looks at it with fstat before a byte is read: only a regular
// file of at most maxBytes is kept open.
OpenedRegularFile openRegularFile(const std::string& path, std::uint64_t maxBytes,
                                  const RegularFileOptions& options = {});

// What readRegularFile found: the whole file, or why not.
struct RegularFileBytes {
    RegularFileStatus status = RegularFileStatus::Missing;  // Opened: bytes hold the file
    int error = 0;                                          // errno for Unreadable
    std::string bytes;
    bool read() const { return status == RegularFileStatus::Opened; }
};

// Reads the whole file at path as openRegularFile opens it; a file that grows
// past maxBytes while it is read is TooLarge.
RegularFileBytes readRegularFile(const std::string& path, std::uint64_t maxBytes,
                                 const RegularFileOptions& options = {});

}  // namespace zarvo

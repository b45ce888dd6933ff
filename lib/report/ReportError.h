#pragma once
// A report or data file that cannot be opened, read or written.

#include <stdexcept>
#include <string>

namespace zarvo {

// what() is a UTF-8 message in the interface's language, naming the file.
class ReportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace zarvo

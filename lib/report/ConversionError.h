#pragma once
// The integer conversion error: a header field that is empty or not an integer.

#include <stdexcept>
#include <string>

namespace zarvo {

// Raised by the strict string-to-integer conversion. what() is the UTF-8
// message "'%s' is not a valid integer value" with the field's text.
class ConversionError : public std::runtime_error {
public:
    // field: the offending text as read (Big5 bytes); shown decoded.
    explicit ConversionError(const std::string& field);
    const std::string& field() const { return field_; }

private:
    std::string field_;
};

}  // namespace zarvo

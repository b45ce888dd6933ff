#include "report/ConversionError.h"

#include "report/Big5.h"

namespace zarvo {

ConversionError::ConversionError(const std::string& field)
    : std::runtime_error("'" + big5ToUtf8(field) + "' is not a valid integer value"), field_(field) {}

}  // namespace zarvo

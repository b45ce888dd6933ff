#pragma once
// A database's values written as a data file gives them, so that formats,
// sums and checks work unchanged whatever the source.

#include <string>

class QVariant;

namespace zarvo {

// value as text (UTF-8): text as the driver decodes it, exact decimals as
// their digits (read with Qt's HighPrecision policy, never through a
// double), dates YYYY-MM-DD, date-times YYYY-MM-DD HH:MM:SS, times
// HH:MM:SS, booleans 1 or 0, a floating-point number in its shortest exact
// form, NULL as nothing.
std::string databaseValueText(const QVariant& value);

// A MySQL/MariaDB BIT(n) value, which the driver hands over as its raw
// bytes (most significant first), as the unsigned number it holds: bit(1)
// is 1 or 0 like a boolean.
std::string bitValueText(const QVariant& value);

}  // namespace zarvo

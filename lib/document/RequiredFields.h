#pragma once
// Which fields an editor dialog requires, in the order they are checked, and
// the warning for each. Plain data and one rule, without widgets.

#include <functional>
#include <span>
#include <string_view>

namespace zarvo {

// One field the user must fill: its control's object name and the warning
// (UTF-8) shown when it is empty or, for a list, has no selection.
struct RequiredField {
    std::string_view control;
    std::string_view message;
};

// The block and label dialog's fields, in checking order.
std::span<const RequiredField> blockRequiredFields();
// The line dialog's fields, in checking order.
std::span<const RequiredField> lineRequiredFields();

// Returns the first field of order for which isFilled(control) is false, or
// nullptr when every field is filled.
const RequiredField* firstMissingField(std::span<const RequiredField> order,
                                       const std::function<bool(std::string_view control)>& isFilled);

}  // namespace zarvo

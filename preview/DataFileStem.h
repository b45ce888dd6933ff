#pragma once
// The DataFileStem of a new preview: "/QEL/Tmp/" and the creation time.

#include <ctime>
#include <string>

namespace zarvo {

// "/QEL/Tmp/" followed by now in decimal seconds. When another process's
// preview already uses that second (its page 0 file exists), the next free
// second is taken, so two programs never write into each other's pages.
std::string newDataFileStem(std::time_t now);

}  // namespace zarvo

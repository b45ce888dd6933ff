#pragma once
// The DataFileStem of a new preview or print: "/QEL/Tmp/" and the creation time.

#include <ctime>
#include <string>

namespace zarvo {

// "/QEL/Tmp/" followed by now in decimal seconds, reserved by creating its
// page 0 file (empty, mode 0600) with O_EXCL. When another job, in this
// process or another, holds that second, the next free second is taken,
// so no two jobs ever write into each other's pages. An unusable data root
// still gives a stem: the error belongs to the first page written.
std::string reserveDataFileStem(std::time_t now);

}  // namespace zarvo

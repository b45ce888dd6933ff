#pragma once
// A block's value drawn alone, as its section of the form profile would
// have it on the form: the sample a settings dialog shows while the user
// chooses a format or a symbol.

#include <string>
#include <string_view>
#include <vector>

#include "engine/XPrint.h"

namespace zarvo {

struct BlockSample {
    FramePlacement placement;          // incomplete when the value does not fit the frame
    std::vector<std::string> faults;   // the value's fault ("欄位「X」: ..."), if any
};

// Draws big5Value on surface in the frame of row (its size, margins, style
// and face; its place moved to the surface's top-left corner), formatted and
// drawn by section's keys as the engine draws a field: on screen (a symbol
// takes a 300 dpi printer's modules scaled to the surface), nothing shown in
// a message box. Check the section with parseBlockStyle first: a section
// with a fault draws the value as it is. A picture is looked for beside
// reportPath (file system bytes; empty: the working folder).
BlockSample drawBlockSample(Surface& surface, const FrameRow& row, const ProfileSection& section,
                            std::string_view big5Value, const std::string& reportPath = {});

}  // namespace zarvo

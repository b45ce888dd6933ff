#pragma once
// A block's section of the form profile belongs to its name: when an edit
// renames a block the section goes with it, and when an edit removes the
// last block of a name its section goes too.

#include <optional>
#include <string>
#include <vector>

#include "layoutmodel/SceneTypes.h"
#include "report/FormProfile.h"

namespace zarvo {

// The profile after step has changed the block rows, blockNames being the
// names (UTF-8) of every block after it. A block renamed takes its section
// along unless a block still bears the old name or the new name has a
// section of its own already (then both stay as they are). A name no block
// bears any more loses its section. nullopt when the profile stays as it is.
std::optional<FormProfile> profileFollowingBlocks(const FormProfile& profile, const EditStep& step,
                                                  const std::vector<std::string>& blockNames);

}  // namespace zarvo

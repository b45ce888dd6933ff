#pragma once
// The per-user data root where page data files live, in place of the drive
// of the current directory. Resolved afresh at every use.

#include <string>

namespace zarvo {

// The root: the override when set, else $XDG_RUNTIME_DIR/zarvo when that is
// set, else <system temp dir>/zarvo-<uid>. The default root is created with
// mode 0700 when missing. Throws ReportError when it is a symlink, not a
// directory, or belongs to another user.
std::string dataRoot();

// Uses dir as the root from now on (the renderer's --data-dir); an empty dir
// restores the default.
void setDataRootOverride(const std::string& dir);

// Makes sure dir exists as a private directory of ours: creates it (and
// missing parents) with mode 0700; throws ReportError when it, or a parent
// it had to create, cannot be made, or when it is a symlink or not ours.
void ensurePrivateDirectory(const std::string& dir);

}  // namespace zarvo

#pragma once
// Where the user's own Zarvo settings files live.

#include <string>

namespace zarvo {

// $XDG_CONFIG_HOME/zarvo/<name>, with ~/.config in place of an unset, empty
// or relative XDG_CONFIG_HOME. Resolved afresh at every call; nothing is
// created.
std::string userConfigFile(const std::string& name);

}  // namespace zarvo

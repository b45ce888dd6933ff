#include "platform/os/ConfigFile.h"

#include <cstdlib>

namespace zarvo {

std::string userConfigFile(const std::string& name) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    // A relative directory is no directory at all for the desktop's rules.
    if (config && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home ? home : "") + "/.config";
    }
    return base + "/zarvo/" + name;
}

}  // namespace zarvo

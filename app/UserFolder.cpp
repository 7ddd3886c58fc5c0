#include "app/UserFolder.h"

#include <cstdlib>

std::string UserFolder::data() {
    return of("XDG_DATA_HOME", "/.local/share/tamotown");
}

std::string UserFolder::state() {
    return of("XDG_STATE_HOME", "/.local/state/tamotown");
}

std::string UserFolder::of(const char* variable, const char* belowHome) {
    const char* set = std::getenv(variable);
    if (set && set[0] == '/')
        return std::string(set) + "/tamotown";
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0')
        return std::string(home) + belowHome;
    return std::string();
}

#include "app/WorkingDirectory.h"

#include <unistd.h>

std::string workingDirectory() {
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer) == nullptr)
        return "(unknown)";
    return buffer;
}

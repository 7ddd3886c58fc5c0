#include "net/EnetStartup.h"

#include <enet/enet.h>

#include <cstdlib>

bool enetReady() {
    static const bool Ready = [] {
        if (enet_initialize() != 0)
            return false;
        std::atexit(enet_deinitialize);
        return true;
    }();
    return Ready;
}

#pragma once
// What the network tests share: a server on the loopback address at a port
// the system picks, and a bounded wait that services everyone meanwhile.
#include <chrono>
#include <functional>

#include "net/CityServer.h"

namespace loopback {

inline CityServer::Options serverOptions(CityServer::Options options = {}) {
    options.address = "127.0.0.1";
    options.port = 0;
    return options;
}

// Runs serviceAll until done says so; false after five seconds.
inline bool serviceUntil(const std::function<bool()>& done,
                         const std::function<void()>& serviceAll) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        serviceAll();
    }
    return true;
}

}  // namespace loopback

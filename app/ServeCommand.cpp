#include "app/ServeCommand.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <ostream>

#include "app/HeadlessCity.h"
#include "app/PasswordFile.h"
#include "app/ProgramOptions.h"
#include "net/CityServer.h"
#include "world/MapFile.h"
#include "world/TamoMap.h"
#include "world/TamoSpriteObjectSet.h"

namespace {

volatile std::sig_atomic_t stopAsked = 0;
volatile std::sig_atomic_t writeAsked = 0;

void onStop(int) {
    stopAsked = 1;
}

void onHangUp(int) {
    writeAsked = 1;
}

// The file as it is becomes path.1 (a second name for the same bytes, put in
// place atomically), then the world replaces path atomically.
bool writeCity(const std::string& path, HeadlessCity& city, std::string* why) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::exists(path, error)) {
        const std::string keep = path + ".1";
        const std::string next = keep + ".new";
        fs::remove(next, error);
        fs::create_hard_link(path, next, error);
        if (error)
            fs::copy_file(path, next, fs::copy_options::overwrite_existing, error);
        if (!error)
            fs::rename(next, keep, error);
        if (error) {
            *why = "the previous version cannot be kept as " + keep + " (" + error.message() + ")";
            return false;
        }
    }
    return MapFile::saveWorld(path.c_str(), city.map(), city.sprites(), why);
}

}  // namespace

int ServeCommand::run(const ProgramOptions& options, std::ostream& log) {
    const std::string& path = options.serveCity;
    CityServer::Options serverOptions;
    serverOptions.port = static_cast<uint16_t>(options.port);
    serverOptions.maxPeople = options.maxPeople;
    std::string why;
    if (!options.passwordFile.empty() &&
        !readPasswordFile(options.passwordFile, &serverOptions.password, &why)) {
        log << "tamotown: " << why << std::endl;
        return 1;
    }
    HeadlessCity city;
    std::error_code error;
    const bool existed = std::filesystem::exists(path, error);
    if (existed && !city.load(path, &why)) {
        log << "tamotown: " << path << ": " << why << std::endl;
        return 1;
    }
    CityServer server(city.map(), city.sprites(), city.host(), serverOptions, log);
    if (!server.start(&why)) {
        log << "tamotown: " << why << std::endl;
        return 1;
    }
    log << "serving " << path << (existed ? "" : " (a new world)") << " on UDP port "
        << server.port() << ", at most " << options.maxPeople << " people"
        << (serverOptions.password.empty() ? "" : ", with a password") << std::endl;

    std::signal(SIGINT, onStop);
    std::signal(SIGTERM, onStop);
    std::signal(SIGHUP, onHangUp);
    using Clock = std::chrono::steady_clock;
    auto lastWrite = Clock::now();
    bool written = existed;
    const auto write = [&] {
        std::string fault;
        if (writeCity(path, city, &fault)) {
            server.markWritten();
            written = true;
            log << "wrote " << path << ": " << city.map().sectorCount() << " sectors, "
                << city.sprites().count() << " sprite objects" << std::endl;
        } else {
            log << "could not write " << path << ": " << fault << std::endl;
        }
        lastWrite = Clock::now();
    };
    while (!stopAsked) {
        server.service(50);
        const bool due = Clock::now() - lastWrite >= std::chrono::seconds(WriteIntervalSeconds);
        if (writeAsked || (due && server.changedSinceWrite())) {
            writeAsked = 0;
            write();
        }
    }
    if (server.changedSinceWrite() || !written)
        write();
    server.stop();
    log << "stopped serving " << path << std::endl;
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGHUP, SIG_DFL);
    return 0;
}

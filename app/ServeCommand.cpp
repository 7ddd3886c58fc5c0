#include "app/ServeCommand.h"

#include <csignal>
#include <filesystem>
#include <ostream>

#include "app/HeadlessCity.h"
#include "app/PasswordFile.h"
#include "app/ProgramOptions.h"
#include "net/CityKeeper.h"
#include "net/CityServer.h"
#include "world/CityPictureFolder.h"
#include "world/CityPictures.h"

namespace {

volatile std::sig_atomic_t stopAsked = 0;
volatile std::sig_atomic_t writeAsked = 0;

// The longest the loop waits for the network before the keeper's step.
constexpr uint32_t ServiceWaitMilliseconds = 10;

void onStop(int) {
    stopAsked = 1;
}

void onHangUp(int) {
    writeAsked = 1;
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
    // The city's pictures: sent to those who lack them, kept with the city.
    std::vector<std::string> damaged;
    CityPictures pictures;
    for (CityPictureFolder::Loaded& loaded : CityPictureFolder::read(path, &damaged))
        pictures.put(loaded.id, std::move(loaded.png));
    for (const std::string& failure : damaged)
        log << "picture skipped: " << CityPictureFolder::folderOf(path) << "/" << failure
            << std::endl;
    CityKeeper keeper(path, city.map(), city.sprites(), city.host(), log);
    if (!keeper.open(&pictures, &why)) {
        log << "tamotown: " << why << std::endl;
        return 1;
    }
    server.setPictures(std::move(pictures));
    // Each batch and each picture kept is in the journal's queue before it
    // goes to anyone; a picture before the batches that use it.
    server.setAppliedHook([&keeper](uint32_t author, const std::vector<Protocol::Change>& changes) {
        keeper.record(author, changes);
    });
    server.setPictureHook([&keeper](int32_t texture, const CityPictures::Bytes& png) {
        keeper.recordPicture(texture, png);
    });
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
    while (!stopAsked) {
        server.service(ServiceWaitMilliseconds);
        const bool asked = writeAsked != 0;
        writeAsked = 0;
        keeper.tick(asked);
    }
    // The pictures not yet in the folder, then the map.
    const bool written = keeper.finish();
    server.stop();
    log << "stopped serving " << path << std::endl;
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGHUP, SIG_DFL);
    if (!written)
        log << "tamotown: the journal " << path << ".journal keeps the changes the file lacks; "
            << "they are applied at the next start" << std::endl;
    return written ? 0 : 1;
}

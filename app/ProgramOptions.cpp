#include "app/ProgramOptions.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <ostream>
#include <vector>

#ifndef TAMO_VERSION
#define TAMO_VERSION "0.0.0"
#endif

namespace {

bool endsWith(const std::string& text, const char* tail) {
    const std::string end(tail);
    if (text.size() <= end.size())
        return false;
    for (size_t i = 0; i < end.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - end.size() + i])) != end[i])
            return false;
    return true;
}

// The options that take values: how many, and what to say when they lack them.
struct ValueOption {
    const char* name;
    int values;
    const char* missing;
};
constexpr ValueOption ValueOptions[] = {
    {"--export", 2, "--export needs CITY.map and OUT.glb or OUT.obj"},
    {"--scale", 1, "--scale needs a number N from 1 to 4"},
    {"--info", 1, "--info needs CITY.map"},
    {"--autosave", 1, "--autosave needs a number of SECONDS"},
    {"--script", 2, "--script needs FILE.lua and CITY.map"},
};

// CLI11's message, except for an option given fewer values than it takes:
// its words there ("1 required INT:INT in [1 - 4] missing") name types, not
// what to type.
std::string plainMessage(const CLI::ParseError& error, int argc, const char* const* argv) {
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) == nullptr)
        return error.what();
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--")
            break;
        const size_t equals = word.find('=');
        for (const ValueOption& option : ValueOptions) {
            if (word.compare(0, equals, option.name) != 0)
                continue;
            // Values follow up to the next word that looks like an option.
            int given = equals == std::string::npos ? 0 : 1;
            for (int j = i + 1; j < argc && given < option.values && argv[j][0] != '-'; ++j)
                ++given;
            if (given < option.values)
                return option.missing;
        }
    }
    return error.what();
}

}  // namespace

bool exportFormatKnown(const std::string& path) {
    return exportIsGlb(path) || endsWith(path, ".obj");
}

bool exportIsGlb(const std::string& path) {
    return endsWith(path, ".glb");
}

const char* programVersion() {
    return TAMO_VERSION;
}

int ProgramOptions::parse(int argc, const char* const* argv, ProgramOptions* options,
                          std::ostream& out, std::ostream& err) {
    ProgramOptions parsed;
    CLI::App app("Tamotown: build a small city of blocks and sprite figures and look at it in 3D.",
                 "tamotown");
    app.set_version_flag("--version", std::string("tamotown ") + programVersion(),
                         "Print the version and exit");
    app.set_help_flag("-h,--help", "Print this help and exit");
    app.add_option("CITY.map", parsed.cityFile, "World file to open at start")->option_text(" ");
    app.add_flag("--windowed", parsed.windowed,
                 "A 640 x 480 window on the desktop instead of full screen");
    app.add_flag("--stats", parsed.stats,
                 "Print frames per second, frame time, quads and sectors drawn on standard error "
                 "once a second");
    CLI::Option* scale =
        app.add_option("--scale", parsed.scale, "A window N times 640 x 480 (N from 1 to 4)")
            ->check(CLI::Range(1, 4))
            ->option_text("N");
    app.add_option("--autosave", parsed.autosaveSeconds,
                   "Write unsaved work every SECONDS seconds (default 60, 0: never)")
        ->check(CLI::Range(0, 86400))
        ->option_text("SECONDS");
    std::vector<std::string> exportFiles;
    CLI::Option* exporting =
        app.add_option("--export", exportFiles,
                       "Write the world file CITY as OUT.glb (binary glTF) or OUT.obj and exit")
            ->expected(2)
            ->option_text("CITY OUT");
    CLI::Option* keep = app.add_flag(
        "--keep-position", parsed.keepPosition,
        "Keep world coordinates in the export (by default the middle of the city's ground is "
        "moved to the origin)");
    CLI::Option* info =
        app.add_option("--info", parsed.infoCity, "Print what the world file CITY holds and exit")
            ->option_text("CITY");
    exporting->excludes(info);
    std::vector<std::string> scriptFiles;
    CLI::Option* scripting =
        app.add_option("--script", scriptFiles,
                       "Run the city script FILE.lua on the world file CITY (a new world when it "
                       "does not exist), save it in place and exit")
            ->expected(2)
            ->option_text("FILE.lua CITY");
    scripting->excludes(exporting)->excludes(info);
    CLI::Option* serve =
        app.add_option("--serve", parsed.serveCity,
                       "Keep the world file CITY as a shared city that people join, without a "
                       "window (a new world when CITY does not exist yet)")
            ->option_text("CITY");
    CLI::Option* port =
        app.add_option("--port", parsed.port, "The shared city's port (default 7878, UDP)")
            ->check(CLI::Range(1, 65535))
            ->option_text("N");
    CLI::Option* people = app.add_option("--max-people", parsed.maxPeople,
                                         "At most N people in the shared city at once (default 16)")
                              ->check(CLI::Range(1, 1000))
                              ->option_text("N");
    CLI::Option* password =
        app.add_option("--password-file", parsed.passwordFile,
                       "Serving: let in only people who give the password on FILE's first "
                       "line; joining: give it")
            ->option_text("FILE");
    CLI::Option* join =
        app.add_option("--join", parsed.joinAddress,
                       "Build together in the shared city a server keeps at HOST (port 7878 "
                       "unless given)")
            ->option_text("HOST[:PORT]");
    CLI::Option* name =
        app.add_option("--name", parsed.name, "The name others see in a shared city")
            ->option_text("NAME");
    for (CLI::Option* other : {exporting, info, join, scripting})
        serve->excludes(other);
    join->excludes(exporting)->excludes(info)->excludes(scripting);
    port->needs(serve);
    people->needs(serve);
    name->needs(join);
    try {
        app.parse(argc, argv);
        if (keep->count() > 0 && exporting->count() == 0)
            throw CLI::ValidationError("--keep-position", "it only goes with --export");
        if (exporting->count() > 0 && !exportFormatKnown(exportFiles[1]))
            throw CLI::ValidationError("--export", "OUT must end in .glb or .obj");
        const char* alone = exporting->count() > 0   ? "--export"
                            : info->count() > 0      ? "--info"
                            : scripting->count() > 0 ? "--script"
                            : serve->count() > 0     ? "--serve"
                            : join->count() > 0      ? "--join"
                                                     : nullptr;
        if (password->count() > 0 && serve->count() == 0 && join->count() == 0)
            throw CLI::ValidationError("--password-file", "goes with --serve or --join");
        if (alone && !parsed.cityFile.empty())
            throw CLI::ValidationError(parsed.cityFile,
                                       "a world to open does not go with " + std::string(alone));
    } catch (const CLI::CallForVersion&) {
        out << "tamotown " << programVersion() << "\n";
        return 0;
    } catch (const CLI::Success& done) {
        // --help or --version: printed, nothing to start.
        return app.exit(done, out, err);
    } catch (const CLI::ParseError& error) {
        err << "tamotown: " << plainMessage(error, argc, argv) << " (see tamotown --help)\n";
        return 2;
    }
    if (scale->count() > 0)
        parsed.windowed = true;
    if (exporting->count() > 0) {
        parsed.exportCity = exportFiles[0];
        parsed.exportFile = exportFiles[1];
    }
    if (scripting->count() > 0) {
        parsed.scriptFile = scriptFiles[0];
        parsed.scriptCity = scriptFiles[1];
    }
    *options = parsed;
    return -1;
}

#include "app/ProgramOptions.h"

#include <CLI/CLI.hpp>

#include <ostream>

#ifndef TAMO_VERSION
#define TAMO_VERSION "0.0.0"
#endif

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
    CLI::Option* scale =
        app.add_option("--scale", parsed.scale, "A window N times 640 x 480 (N from 1 to 4)")
            ->check(CLI::Range(1, 4))
            ->option_text("N");
    app.add_option("--autosave", parsed.autosaveSeconds,
                   "Write unsaved work every SECONDS seconds (default 60, 0: never)")
        ->check(CLI::Range(0, 86400))
        ->option_text("SECONDS");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForVersion&) {
        out << "tamotown " << programVersion() << "\n";
        return 0;
    } catch (const CLI::Success& done) {
        // --help or --version: printed, nothing to start.
        return app.exit(done, out, err);
    } catch (const CLI::ParseError& error) {
        err << "tamotown: " << error.what() << " (see tamotown --help)\n";
        return 2;
    }
    if (scale->count() > 0)
        parsed.windowed = true;
    *options = parsed;
    return -1;
}

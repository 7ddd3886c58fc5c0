#pragma once
#include <cstdint>
#include <iosfwd>
#include <string>

// What the command line asks for beyond the program's own behaviour. Every
// option is declared in one place, ProgramOptions::parse: a new option is a
// field here and one declaration there.
struct ProgramOptions {
    // A world file to open at start, through the checked loader.
    std::string cityFile;
    // A window on the desktop instead of full screen.
    bool windowed = false;
    // The window's size in multiples of 640 x 480 (1 to 4).
    int32_t scale = 1;
    // --export CITY OUT: the world file and the .glb or .obj file to write
    // from it, without a window; empty when not asked for.
    std::string exportCity;
    std::string exportFile;
    // --keep-position: the export keeps world coordinates instead of moving
    // the middle of the city's ground to the origin.
    bool keepPosition = false;
    // --info CITY: the world file to describe, without a window.
    std::string infoCity;
    // --script FILE CITY: the city script to run on the world file, which
    // is saved in place, without a window; empty when not asked for.
    std::string scriptFile;
    std::string scriptCity;
    // Frame figures on standard error once a second.
    bool stats = false;
    // Seconds between autosaves of unsaved work; 0 turns autosave off.
    int32_t autosaveSeconds = 60;
    // --serve CITY: the world file a shared city's server keeps, without a
    // window; port, room and the file holding the password go with it.
    std::string serveCity;
    int32_t port = 7878;
    int32_t maxPeople = 16;
    std::string passwordFile;
    // --join HOST[:PORT]: the shared city to join, and the name others see
    // (the password, when it needs one, from --password-file).
    std::string joinAddress;
    std::string name;

    // Reads the arguments (argv[0] is the program). Returns -1 when the
    // program is to start with *options; otherwise the exit code after
    // --help or --version (0, printed on out) or an error (2, one line on err).
    static int parse(int argc, const char* const* argv, ProgramOptions* options, std::ostream& out,
                     std::ostream& err);
};

// Whether an export file name ends in ".glb" or ".obj" (any case), and
// which of the two.
bool exportFormatKnown(const std::string& path);
bool exportIsGlb(const std::string& path);

// The program's version, "major.minor.patch".
const char* programVersion();

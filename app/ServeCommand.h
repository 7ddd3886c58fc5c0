#pragma once
#include <iosfwd>

struct ProgramOptions;

// tamotown --serve CITY: a shared city's server, without a window or GL.
// Loads CITY (a new world when the file does not exist yet; a file that is
// not a sound world is left alone and the server does not start), applies
// what its journal (CITY.journal) holds beyond it, and serves it until
// SIGINT or SIGTERM. Every change, and every picture someone sends, is in
// the journal before it is passed on; the whole city is written in the
// background every 30 seconds while it changed and at SIGHUP, and at the
// end, its new pictures into its picture folder first, keeping the previous
// file as CITY.1 (net/CityKeeper). One line on log per start, join, leave, refusal
// and write. Returns the exit code: 0, or 1 after a line naming the fault
// (also when the last write failed).
namespace ServeCommand {

int run(const ProgramOptions& options, std::ostream& log);

}  // namespace ServeCommand

#pragma once
#include <iosfwd>

struct ProgramOptions;

// tamotown --serve CITY: a shared city's server, without a window or GL.
// Loads CITY (a new world when the file does not exist yet; a file that is
// not a sound world is left alone and the server does not start), serves it
// until SIGINT or SIGTERM, and writes it with the checked, atomic save every
// 30 seconds while it changed, at SIGHUP and at the end, keeping the
// previous file as CITY.1. One line on log per start, join, leave, refusal
// and write. Returns the exit code: 0, or 1 after a line naming the fault.
namespace ServeCommand {

constexpr int WriteIntervalSeconds = 30;

int run(const ProgramOptions& options, std::ostream& log);

}  // namespace ServeCommand

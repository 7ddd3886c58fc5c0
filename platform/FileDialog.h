#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Modal open or save dialog. ownerWindow is the SDL_Window* the window keeps
// under "WindowHandler" (0 for none). On entry buffer holds the proposed name
// (a bare name, or a path); filter is a list of zero-terminated strings,
// description then pattern(s) separated by ';', ended by an empty string:
// "Map Files (*.map)\0*.map\0All Files (*.*)\0*.*\0\0". defaultExtension
// ("map") is added to a chosen name that has none.
//
// Open: the file must exist. Save: the folder must exist, and replacing an
// existing file (also one whose name got the default extension) is confirmed
// first. A path that does not fit the buffer with its terminating zero is
// refused with a message and the user may choose again; it is never
// truncated. Returns true with the full path in buffer when the user
// confirmed a name; false for cancel, for bad arguments and when no display
// is available, leaving buffer unchanged.
bool fileDialog(uintptr_t ownerWindow, bool save, char* buffer, int32_t bufferSize,
                const char* filter, const char* defaultExtension);

// The display-independent rules the dialog applies.
struct FileDialogFilter {
    std::string description;
    std::vector<std::string> patterns;  // "*.*" given as "*": any name
};

// Pairs of the double-zero-terminated filter list; a description without a
// pattern ends the list. A null filter gives no pairs.
std::vector<FileDialogFilter> parseDialogFilter(const char* filter);

// path with "." + extension added when its file name has no extension (a
// leading dot alone does not count as one). A null or empty extension adds nothing.
std::string addDefaultExtension(const std::string& path, const char* defaultExtension);

// Copies path with its terminating zero when it fits in bufferSize bytes;
// otherwise leaves buffer alone and returns false.
bool copyPathToBuffer(const std::string& path, char* buffer, int32_t bufferSize);

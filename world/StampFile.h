#pragma once
#include <cstdint>
#include <string>

class ByteWriter;
class Clipboard;
class FileStream;

// A clipboard kept as an ordinary world file, so that any city file can be
// pasted as a stamp. Saved: the clipboard's blocks as they lie, moved so the
// box's lowest corner is the start block's cell (the world's cell 4000,
// 4000, 4000 with the standard block sizes), in sectors of the editor's
// grid, followed by its figures. Loaded: every block and figure of the file,
// in a box from the smaller of the start block's cell and the lowest cell
// used to the highest cell used.
namespace StampFile {

// Writes the world file to path as every save does: into a file beside it,
// renamed over it once complete, so an earlier file survives a failure
// (*why names it).
bool saveFile(const char* path, const Clipboard& clipboard, std::string* why = nullptr);
// Reads path into *clipboard as load does.
bool loadFile(const char* path, int32_t blockWidth, int32_t blockHeight, Clipboard* clipboard,
              std::string* why = nullptr);
// Writes the world file; false when a write failed.
bool save(const Clipboard& clipboard, FileStream& stream);
void write(const Clipboard& clipboard, ByteWriter& out);
// Reads a world file from the stream's position into *clipboard, checked as
// any load is; on a fault *clipboard is as it was, *why names the fault and
// the result is false. Blocks in cells of width blockWidth and height
// blockHeight.
bool load(FileStream& stream, int32_t blockWidth, int32_t blockHeight, Clipboard* clipboard,
          std::string* why = nullptr);

}  // namespace StampFile

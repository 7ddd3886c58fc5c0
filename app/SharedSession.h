#pragma once
#include <cstdint>
#include <memory>
#include <string>

class SharedCity;
class TextureShelf;
class StatusCaption;
class TamoEngineCore;
class TamoSpriteObjectSet;

// The program's side of building together (--join): the shared city over
// the engine core's world, run once a frame. It passes this person's changes
// on and applies everyone's, sends where this person stands a few times a
// second, shows the others as named figures, and tells of joins, leaves and
// a lost connection in the caption ("JOINING" until the city arrives,
// "DISCONNECTED" after). Undo and redo go through it, and loading is off.
class SharedSession {
public:
    static constexpr uint32_t PositionIntervalMilliseconds = 100;

    // core must outlive this.
    explicit SharedSession(TamoEngineCore& core);
    // Leaves the city (bounded wait).
    ~SharedSession();
    SharedSession(const SharedSession&) = delete;
    SharedSession& operator=(const SharedSession&) = delete;

    // "HOST[:PORT]"; false, *why naming the fault, when it cannot start.
    bool join(const std::string& address, const std::string& name, const std::string& password,
              std::string* why);
    // The pictures of the city's textures come from and go to shelf, which
    // must outlive this: those the server lacks are sent on first use.
    void usePictures(TextureShelf& shelf);
    // Sends and applies changes; shows what happened in caption at now.
    void frame(uint32_t now, StatusCaption& caption);
    // The others as figures with their names above them.
    void drawPeople();
    // Shows "UNDO", "UNDO PARTLY" or "NOTHING TO UNDO" (and the same for redo).
    void undo(uint32_t now, StatusCaption& caption);
    void redo(uint32_t now, StatusCaption& caption);
    // Leaves the city (bounded wait); the world stays as it is.
    void leave();

private:
    TamoEngineCore& core;
    std::unique_ptr<SharedCity> city;
    std::unique_ptr<TamoSpriteObjectSet> people;
    uint32_t positionSentAt = 0;
};

#pragma once
#include <cstddef>
#include <cstdint>
#include <unordered_map>

#include "platform/DynArray.h"
#include "platform/Vector3.h"

class GLContext;

// One texture made through the table; id is used directly as the GL name.
struct TextureRecord {
    int32_t id;
    int32_t width;
    int32_t height;
};

// Texture coordinates of a recorded texture as the current source rectangle
// shows it: (s0, t0) top left, (s1, t1) bottom right, w x h texels.
struct TexCoords {
    float s0;
    float t0;
    float s1;
    float t1;
    float w;
    float h;
};

// Records every texture the program makes and carries the current source
// rectangle, the part of a texture that the sprite drawing operations show.
// Filter mode 0 is nearest, 1 linear, anything else leaves the filters alone.
class TextureTable {
public:
    struct SourceRect {
        int32_t left = 0;
        int32_t top = 0;
        int32_t right = 0;
        int32_t bottom = 0;
    };

    explicit TextureTable(GLContext* owner);
    ~TextureTable();
    TextureTable(const TextureTable&) = delete;
    TextureTable& operator=(const TextureTable&) = delete;

    // Makes or replaces GL texture id from width x height RGBA bytes and
    // records it (a second upload of an id adds a second record). Refuses
    // (false) null pixels or sizes below 1.
    bool uploadTexture(const uint8_t* rgbaPixels, int32_t width, int32_t height, int32_t id,
                       uint8_t filterMode);
    // The same, but a texture already recorded under id takes the new
    // pixels and size in its first record instead of gaining a second.
    bool replaceTexture(const uint8_t* rgbaPixels, int32_t width, int32_t height, int32_t id,
                        uint8_t filterMode);
    // Whether the last upload of id had no texel with alpha below 255: drawn
    // with it, every fragment passes the alpha test. False for an unknown id.
    bool opaque(int32_t id) const;
    // Index of the first record with this id, or -1.
    int32_t findTexture(int32_t id) const;
    void deleteAllTextures();

    int32_t recordCount() const { return records.count(); }
    // Valid for 0 <= index < recordCount().
    const TextureRecord& record(int32_t index) const { return records[index]; }

    void setSourceRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void clearSourceRect();
    bool sourceRectActive() const { return sourceActive; }
    const SourceRect& sourceRect() const { return source; }
    // All zero for an index that names no record.
    TexCoords getTexCoords(int32_t recordIndex) const;

    // Drawing; an id that is not recorded draws nothing. 2D operations take
    // screen pixels, angles are degrees.
    void drawSprite2D(int32_t id, int32_t x, int32_t y, float scale, bool centred, bool mirrored,
                      float angle);
    void drawTextureRect(int32_t id, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    // An upright quad standing centred on position, turned by angle about y.
    void drawSprite3D(int32_t id, const Vector3& position, float scale, float angle, bool mirrored);
    // drawSprite3D turned to face the owner's eye.
    void drawBillboard(int32_t id, const Vector3& position, float scale, bool mirrored);
    // The box a sprite of id drawn at position with the current source
    // rectangle covers however it is turned about y; false (box untouched)
    // when there is no such texture and nothing would be drawn.
    bool spriteBounds(int32_t id, const Vector3& position, float scale, Vector3* low,
                      Vector3* high) const;
    // The turn drawBillboard gives a sprite at position seen from eye.
    static float billboardAngle(const Vector3& position, const Vector3& eye);

private:
    GLContext* owner;
    DynArray<TextureRecord> records;
    std::unordered_map<int32_t, bool> opaqueById;
    SourceRect source;
    bool sourceActive = false;
};

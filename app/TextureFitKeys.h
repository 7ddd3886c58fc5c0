#pragma once
#include <cstdint>

class StatusCaption;
class TamoEngineCore;

// The keys that lay a texture over the flat region under the pointer
// (world/TextureFit): fit the current texture over it, or continue the
// texture of the face under the pointer over it. In the 3D view the face is
// the one the pointer shows; in the plan view the top of the block under
// the pointer on the current level. Each says in the caption what it did.
class TextureFitKeys {
public:
    TextureFitKeys(TamoEngineCore& core, StatusCaption& caption);

    void fit();
    void continueTexture();

private:
    // The world cell and face under the pointer; false (with a caption)
    // when there is none.
    bool faceUnderPointer(int32_t cell[3], int32_t* face);

    TamoEngineCore& core;
    StatusCaption& caption;
};

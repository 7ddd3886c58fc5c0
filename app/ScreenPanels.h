#pragma once
#include <cstdint>

#include "app/FrameStatistics.h"
#include "media/InterfaceLayout.h"

class BitmapFont;
class EditorState;
class GLContext;
class SpriteSheet;
class StatusCaption;
struct DrawCounts;

// What the window draws over the world: the panels of the edit mode and the
// view, with the current material's preview and numbers or the sprite type's
// picture; the caption; the frame figures (F3), which it also counts; and the
// picture of the frame (F12).
class ScreenPanels {
public:
    ScreenPanels(GLContext& gl, SpriteSheet& interfaceSheet, SpriteSheet& worldSheet,
                 BitmapFont& font, const EditorState& editor, StatusCaption& caption);

    void drawPanels();
    void drawCaption();
    // Counts the frame, reports it when asked to and draws the overlay.
    void countFrame(const DrawCounts& counts);

    // Writes the frame drawn so far as a new picture file and shows "SAVED"
    // with its name; true when written.
    bool savePicture();
    // A picture is asked for; it is taken at the next savePictureIfAsked.
    void askForPicture() { pictureWanted = true; }
    void savePictureIfAsked();

    // Frame figures: shown over the picture, printed on stderr once a second.
    void showStatistics(bool on) { statisticsShown = on; }
    bool statisticsShowing() const { return statisticsShown; }
    void reportStatistics(bool on) { statisticsReported = on; }
    const FrameStatistics& frameStatistics() const { return statistics; }

private:
    ScreenPoint panelCorner(InterfacePanel panel) const;
    // The panel's picture at its corner; false when the sheet has no such group.
    bool drawPanel(InterfacePanel panel);
    // The material preview and numbers, the sprite preview, over the panel at corner.
    void drawBlockPanel(ScreenPoint corner);
    void drawSpritePanel(ScreenPoint corner);

    GLContext& gl;
    SpriteSheet& interfaceSheet;
    SpriteSheet& spriteSheet;
    BitmapFont& font;
    const EditorState& editor;
    StatusCaption& caption;
    bool pictureWanted = false;
    FrameStatistics statistics;
    bool statisticsShown = false;
    bool statisticsReported = false;
};

#pragma once

class QWidget;

namespace ngc {

// The host's system colours that screens paint controls with.
enum class SystemColor {
    BtnFace, // grey: read-only and inactive controls
    Window,  // white: the normal background of an edit
    InfoBk,  // info-yellow (the tooltip background): controls that stand out
};

// Sets the colour as the background of any control (edits, spin edits, grids, date edits).
void SetColor(QWidget *control, SystemColor color);

} // namespace ngc

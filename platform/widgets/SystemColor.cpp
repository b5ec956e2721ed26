#include "SystemColor.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace ngc {

void SetColor(QWidget *control, SystemColor color)
{
    if (!control)
        return;
    const QPalette system = QApplication::palette();
    QColor background;
    switch (color) {
    case SystemColor::BtnFace:
        background = system.color(QPalette::Button);
        break;
    case SystemColor::Window:
        background = system.color(QPalette::Base);
        break;
    case SystemColor::InfoBk:
        background = system.color(QPalette::ToolTipBase);
        break;
    }
    QPalette palette = control->palette();
    // Edits paint their background with Base, frames and grids' surroundings with Window.
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Window, background);
    control->setPalette(palette);
    control->setAutoFillBackground(true);
}

} // namespace ngc

#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace kestrune::platform {

// One screen as the desktop names it, with the display modes it offers.
struct ScreenModes {
  QString name;
  QStringList modes;  // "1920x1080x24@60", the screen's own order, each once
};

// A display mode as the resolution lists show it: width, height, colour depth and refresh rate.
QString DisplayModeText(int width, int height, int depth, int refreshHz);

// Every screen in the desktop's order with every mode it offers. On X11 the modes come from the
// XRandR extension (libXrandr, loaded when the program asks); where no list can be asked for (another
// platform, no XRandR), each screen offers its current mode only.
std::vector<ScreenModes> ListScreenModes();

}  // namespace kestrune::platform

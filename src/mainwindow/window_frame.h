#pragma once

#include <QMargins>

class QWidget;

// The window manager's frame around the window: none before it has framed the window, or without one.
QMargins FrameMargins(const QWidget& window);

// The window's frame shows its caption and no minimise or maximise button. To be called as the window
// is shown: the window system reads the request when it maps the window.
void AskForNoMinimiseOrMaximise(QWidget& window);

// Puts a top-level window in the middle of the free area of the screen its owner is on.
void CentreOnScreen(QWidget& window);

#pragma once

#include <QMargins>

class QWidget;

// The window manager's frame around the window: none before it has framed the window, or without one.
QMargins FrameMargins(const QWidget& window);

// The window's frame shows its caption and no minimise or maximise button. To be called as the window
// is shown: the window system reads the request when it maps the window.
void AskForNoMinimiseOrMaximise(QWidget& window);

// The window's frame shows no close box and the window manager offers no close; the window's flags ask
// for a caption without buttons (Qt::CustomizeWindowHint | Qt::WindowTitleHint). To be called as the
// window is shown. Openbox keeps the close box of every window it frames, whatever it is asked: there
// the window is shown without a frame, and is moved with Alt and the mouse.
void AskForNoCloseBox(QWidget& window);

// Puts a top-level window in the middle of the free area of the screen its owner is on.
void CentreOnScreen(QWidget& window);

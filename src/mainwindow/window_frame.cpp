#include "mainwindow/window_frame.h"

#include <QGuiApplication>
#include <QMargins>
#include <QRect>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace {

// Qt's X11 plugin reads this window property as extra _NET_WM_WINDOW_TYPE values; 0x8 is its "toolbar".
constexpr const char* kX11WindowTypes = "_q_xcb_wm_window_type";
constexpr int kX11ToolbarType = 0x8;

}  // namespace

void AskForNoMinimiseOrMaximise(QWidget& window) {
  // Only Qt's X11 plugin reads the property; elsewhere the flags are all there is.
  QWindow* handle = window.windowHandle();
  if (QGuiApplication::platformName() != QLatin1String("xcb") || handle == nullptr ||
      handle->property(kX11WindowTypes).toInt() == kX11ToolbarType)
    return;
  // The Motif hints that Qt sends for a window without those buttons are enough for most window
  // managers; openbox ignores them, and leaves the buttons off a window only when it calls itself a
  // tool bar first. The dialog type follows it, for the managers that know no tool bars.
  handle->setProperty(kX11WindowTypes, kX11ToolbarType);
  // The plugin sends the window types with the window flags: a change of a flag it does not use sends them.
  const Qt::WindowFlags flags = handle->flags();
  handle->setFlags(flags ^ Qt::BypassGraphicsProxyWidget);
  handle->setFlags(flags);
}

QMargins FrameMargins(const QWidget& window) {
  const QRect frame = window.frameGeometry();
  const QRect inner = window.geometry();
  return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
          frame.bottom() - inner.bottom()};
}

void CentreOnScreen(QWidget& window) {
  const QWidget* owner = window.parentWidget() != nullptr ? window.parentWidget()->window() : &window;
  const QScreen* screen = owner->screen() != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  // The frame is centred, caption and all. Before the window manager has framed the window once, its
  // frame is taken to be as wide as the owner's (a resizable owner's may be a little wider at the
  // bottom), and the window is placed by its inside.
  const QMargins own = FrameMargins(window);
  const QMargins margins = own.isNull() ? FrameMargins(*owner) : own;
  QRect frame = QRect(QPoint(), window.size()).marginsAdded(margins);
  frame.moveCenter(screen->availableGeometry().center());
  window.move(own.isNull() ? frame.topLeft() + QPoint(margins.left(), margins.top()) : frame.topLeft());
}

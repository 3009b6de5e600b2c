#include "mainwindow/window_frame.h"

#include <QGuiApplication>
#include <QMargins>
#include <QRect>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <QWindow>
#include <cstring>

namespace {

// Qt's X11 plugin reads this window property as extra _NET_WM_WINDOW_TYPE values, which come before the
// type of the window's flags; 0x8 is its "toolbar", 0x40 its "splash".
constexpr const char* kX11WindowTypes = "_q_xcb_wm_window_type";
constexpr int kX11ToolbarType = 0x8;
constexpr int kX11SplashType = 0x40;

// The window manager's own name on X11, or empty (no window manager, another platform).
QString X11WindowManagerName();

void AskForX11WindowType(QWidget& window, int type) {
  // Only Qt's X11 plugin reads the property; elsewhere the flags are all there is.
  QWindow* handle = window.windowHandle();
  if (QGuiApplication::platformName() != QLatin1String("xcb") || handle == nullptr ||
      handle->property(kX11WindowTypes).toInt() == type)
    return;
  handle->setProperty(kX11WindowTypes, type);
  // The plugin sends the window types with the window flags: a change of a flag it does not use sends them.
  const Qt::WindowFlags flags = handle->flags();
  handle->setFlags(flags ^ Qt::BypassGraphicsProxyWidget);
  handle->setFlags(flags);
}

}  // namespace

void AskForNoMinimiseOrMaximise(QWidget& window) {
  // The Motif hints that Qt sends for a window without those buttons are enough for most window
  // managers; openbox ignores them, and leaves the buttons off a window only when it calls itself a
  // tool bar first. The dialog type follows it, for the managers that know no tool bars.
  AskForX11WindowType(window, kX11ToolbarType);
}

void AskForNoCloseBox(QWidget& window) {
  // The Motif hints of the flags leave the close out for the other window managers and for none.
  // Openbox lets no hint take away the close box or the close of a window with a frame; of the window
  // types that go without one, only a splash window can still be moved.
  if (QGuiApplication::platformName() == QLatin1String("xcb") &&
      X11WindowManagerName().compare(QLatin1String("Openbox"), Qt::CaseInsensitive) == 0) {
    AskForX11WindowType(window, kX11SplashType);
  }
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

// Xlib last: its macros (None, Bool, Status ...) would clash with Qt's names above.
#if __has_include(<X11/Xlib.h>) && __has_include(<QtGui/qguiapplication_platform.h>)
#include <QtGui/qguiapplication_platform.h>
#if QT_CONFIG(xcb)
#include <X11/Xlib.h>
#include <dlfcn.h>
#define KESTRUNE_HAS_XLIB 1
#endif
#endif

namespace {

#ifdef KESTRUNE_HAS_XLIB

// The Xlib calls used, looked up at run time so that the program does not need libX11 to start; Qt's
// X11 platform has it loaded already.
struct XlibCalls {
  decltype(&XDefaultRootWindow) rootWindow = nullptr;
  decltype(&XInternAtom) internAtom = nullptr;
  decltype(&XGetWindowProperty) getProperty = nullptr;
  decltype(&XFree) xfree = nullptr;

  bool Load() {
    void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    if (x11 == nullptr) return false;
    Find(x11, "XDefaultRootWindow", rootWindow);
    Find(x11, "XInternAtom", internAtom);
    Find(x11, "XGetWindowProperty", getProperty);
    Find(x11, "XFree", xfree);
    return rootWindow && internAtom && getProperty && xfree;
  }

  template <typename Function>
  static void Find(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
  }

  // The property's bytes (a window's id as its four or eight bytes), empty when it is not there.
  QByteArray Property(Display* display, Window window, const char* name) const {
    const Atom property = internAtom(display, name, True);
    if (property == None) return {};
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    if (getProperty(display, window, property, 0, 256, False, AnyPropertyType, &type, &format, &count, &left, &data) !=
            Success ||
        data == nullptr)
      return {};
    // Xlib hands 32-bit items over as longs.
    const qsizetype size = static_cast<qsizetype>(count) *
                           (format == 32 ? static_cast<qsizetype>(sizeof(long)) : static_cast<qsizetype>(format / 8));
    QByteArray bytes(reinterpret_cast<const char*>(data), size);
    xfree(data);
    return bytes;
  }
};

QString X11WindowManagerName() {
  auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 != nullptr ? x11->display() : nullptr;
  static XlibCalls calls;
  static const bool loaded = calls.Load();
  if (display == nullptr || !loaded) return {};
  // The window that a window manager names as its own carries its name (EWMH).
  const QByteArray check = calls.Property(display, calls.rootWindow(display), "_NET_SUPPORTING_WM_CHECK");
  if (check.size() != static_cast<qsizetype>(sizeof(long))) return {};
  long window = 0;
  std::memcpy(&window, check.constData(), sizeof window);
  return QString::fromUtf8(calls.Property(display, static_cast<Window>(window), "_NET_WM_NAME"));
}

#else

QString X11WindowManagerName() { return {}; }

#endif

}  // namespace

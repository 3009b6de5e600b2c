#include "platform/display_modes_qt.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <dlfcn.h>
#include <map>

#if __has_include(<X11/extensions/Xrandr.h>) && __has_include(<QtGui/qguiapplication_platform.h>)
#include <QtGui/qguiapplication_platform.h>
#if QT_CONFIG(xcb)
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#define KESTRUNE_HAS_XRANDR 1
#endif
#endif

namespace kestrune::platform {

QString DisplayModeText(int width, int height, int depth, int refreshHz) {
  return QStringLiteral("%1x%2x%3@%4").arg(width).arg(height).arg(depth).arg(refreshHz);
}

namespace {

QString ScreenName(const QScreen& screen) { return screen.name().isEmpty() ? screen.model() : screen.name(); }

QString CurrentMode(const QScreen& screen) {
  const QSize size = screen.size() * screen.devicePixelRatio();
  return DisplayModeText(size.width(), size.height(), screen.depth(), qRound(screen.refreshRate()));
}

#ifdef KESTRUNE_HAS_XRANDR

// The few XRandR and Xlib calls used, looked up at run time so that the program needs neither
// library to start; Qt's X11 platform has libX11 loaded already.
struct XrandrCalls {
  decltype(&XDefaultRootWindow) rootWindow = nullptr;
  decltype(&XRRGetScreenResourcesCurrent) getResources = nullptr;
  decltype(&XRRFreeScreenResources) freeResources = nullptr;
  decltype(&XRRGetOutputInfo) getOutput = nullptr;
  decltype(&XRRFreeOutputInfo) freeOutput = nullptr;

  bool Load() {
    void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    void* xrandr = dlopen("libXrandr.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (x11 == nullptr || xrandr == nullptr) return false;
    Find(x11, "XDefaultRootWindow", rootWindow);
    Find(xrandr, "XRRGetScreenResourcesCurrent", getResources);
    Find(xrandr, "XRRFreeScreenResources", freeResources);
    Find(xrandr, "XRRGetOutputInfo", getOutput);
    Find(xrandr, "XRRFreeOutputInfo", freeOutput);
    return rootWindow && getResources && freeResources && getOutput && freeOutput;
  }

  template <typename Function>
  static void Find(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
  }
};

int RefreshHz(const XRRModeInfo& mode) {
  double lines = static_cast<double>(mode.vTotal);
  if ((mode.modeFlags & RR_DoubleScan) != 0) lines *= 2;
  if ((mode.modeFlags & RR_Interlace) != 0) lines /= 2;
  const double dots = static_cast<double>(mode.hTotal) * lines;
  return dots > 0 ? static_cast<int>(std::lround(static_cast<double>(mode.dotClock) / dots)) : 0;
}

// Output name -> the modes of every connected output that shows a picture.
std::map<QString, QStringList> XrandrModes(int depth) {
  std::map<QString, QStringList> modes;
  auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 != nullptr ? x11->display() : nullptr;
  static XrandrCalls calls;
  static const bool loaded = calls.Load();
  if (display == nullptr || !loaded) return modes;
  XRRScreenResources* resources = calls.getResources(display, calls.rootWindow(display));
  if (resources == nullptr) return modes;
  std::map<RRMode, const XRRModeInfo*> byId;
  for (int i = 0; i < resources->nmode; ++i) byId[resources->modes[i].id] = &resources->modes[i];
  for (int o = 0; o < resources->noutput; ++o) {
    XRROutputInfo* output = calls.getOutput(display, resources, resources->outputs[o]);
    if (output == nullptr) continue;
    if (output->connection == RR_Connected && output->crtc != 0) {
      QStringList& list = modes[QString::fromLocal8Bit(output->name, output->nameLen)];
      for (int m = 0; m < output->nmode; ++m) {
        const auto found = byId.find(output->modes[m]);
        if (found == byId.end()) continue;
        const XRRModeInfo& mode = *found->second;
        const QString text = DisplayModeText(static_cast<int>(mode.width), static_cast<int>(mode.height), depth,
                                             RefreshHz(mode));
        if (!list.contains(text)) list.append(text);
      }
    }
    calls.freeOutput(output);
  }
  calls.freeResources(resources);
  return modes;
}

#else

std::map<QString, QStringList> XrandrModes(int) { return {}; }

#endif

}  // namespace

std::vector<ScreenModes> ListScreenModes() {
  std::vector<ScreenModes> screens;
  const QList<QScreen*> all = QGuiApplication::screens();
  const std::map<QString, QStringList> offered = all.isEmpty() ? std::map<QString, QStringList>()
                                                               : XrandrModes(all.first()->depth());
  for (const QScreen* screen : all) {
    ScreenModes entry{ScreenName(*screen), {}};
    const auto found = offered.find(screen->name());
    if (found != offered.end()) entry.modes = found->second;
    if (entry.modes.isEmpty()) entry.modes.append(CurrentMode(*screen));
    screens.push_back(std::move(entry));
  }
  return screens;
}

}  // namespace kestrune::platform

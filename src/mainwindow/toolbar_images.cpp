#include "mainwindow/toolbar_images.h"

#include <QLatin1String>
#include <QPixmap>
#include <QSize>
#include <QString>

// The resource lives in a static library: nothing else refers to it, so the linker would leave it out
// unless it is registered by name. Must stand outside any namespace.
static void RegisterOwnImages() { Q_INIT_RESOURCE(toolbar_images); }

namespace {

struct ImageSource {
  const char* skin_name;   // the 32-pixel entry in the skin archive; its stem also names our own image
  const char* theme_name;  // the desktop theme's icon for the command, or nullptr where no theme has one
};

// In the order of the image lists, which the skin archive and the settings address by index.
constexpr std::array<ImageSource, ToolbarImages::kCount> kImageSources = {{
    {"options.ico", "preferences-system"},
    {"run.ico", "media-playback-start"},
    {"playrecord.ico", "media-record"},
    {"playback.ico", "media-seek-forward"},
    {"list.ico", "view-list-text"},
    {"details.ico", "view-list-details"},
    {"help.ico", "help-contents"},
    {"all_roms.ico", nullptr},
    {"favorites_roms.ico", nullptr},
    {"available_roms.ico", nullptr},
    {"filter_roms.ico", nullptr},
    {"filter_konami.ico", nullptr},
    {"filter_capcom.ico", nullptr},
    {"filter_vs.ico", nullptr},
    {"filter_pgm.ico", nullptr},
    {"filter_neogeo.ico", nullptr},
    {"filter_sega.ico", nullptr},
    {"filter_taito.ico", nullptr},
    {"filter_all.ico", nullptr},
    {"filter_vector.ico", nullptr},
    {"filter_raster.ico", nullptr},
    {"filter_playchoice.ico", nullptr},
    {"filter_namco.ico", nullptr},
    {"filter_arcadia.ico", nullptr},
    {"icons.ico", "view-list-icons"},
    {"game_info.ico", "dialog-information"},
    {"game_details.ico", "document-properties"},
    {"filter_vertical.ico", nullptr},
    {"filter_horizontal.ico", nullptr},
}};

// The list's state images: two working sets, then one that is not.
constexpr std::array<const char*, 3> kStateImages = {":/toolbar/rom_working.svg", ":/toolbar/rom_working.svg",
                                                     ":/toolbar/rom_notworking.svg"};

constexpr int kSmallSize = 16;
constexpr int kBigSize = 32;

QString OwnImagePath(const char* skin_name) {
  QString stem = QLatin1String(skin_name);
  stem.chop(static_cast<int>(sizeof(".ico")) - 1);
  return QStringLiteral(":/toolbar/") + stem + QStringLiteral(".svg");
}

QIcon DefaultImage(int index) {
  const ImageSource& source = kImageSources[static_cast<std::size_t>(index)];
  QIcon own(OwnImagePath(source.skin_name));
  return source.theme_name != nullptr ? QIcon::fromTheme(QLatin1String(source.theme_name), own) : own;
}

// A skin image at exactly the size of its list, as the image list would hold it.
QPixmap PixmapAt(const QIcon& icon, int size) {
  const QSize wanted(size, size);
  QPixmap pixmap = icon.pixmap(wanted, 1.0);
  if (!pixmap.isNull() && pixmap.size() != wanted) {
    pixmap = pixmap.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  return pixmap;
}

// The default image with either size taken from the skin where it gave one.
QIcon WithSkinSizes(const QIcon& base, const QPixmap& small, const QPixmap& big) {
  QIcon icon;
  icon.addPixmap(small.isNull() ? PixmapAt(base, kSmallSize) : small);
  icon.addPixmap(big.isNull() ? PixmapAt(base, kBigSize) : big);
  return icon;
}

bool InRange(int index, std::size_t size) { return index >= 0 && static_cast<std::size_t>(index) < size; }

}  // namespace

ToolbarImages::ToolbarImages(QObject* parent) : QObject(parent) {
  RegisterOwnImages();
  for (int i = 0; i < kCount; ++i) {
    images_[static_cast<std::size_t>(i)] = DefaultImage(i);
  }
  for (std::size_t i = 0; i < states_.size(); ++i) {
    states_[i] = QIcon(QLatin1String(kStateImages[i]));
  }
  if (states_[0].pixmap(kSmallSize).isNull()) {
    qWarning("kestrune: cannot draw the program's own tool bar images: Qt's SVG support (libqt6svg6) is missing");
  }
}

QIcon ToolbarImages::Image(int index) const {
  return InRange(index, images_.size()) ? images_[static_cast<std::size_t>(index)] : QIcon();
}

QIcon ToolbarImages::StateImage(int index) const {
  return InRange(index, states_.size()) ? states_[static_cast<std::size_t>(index)] : QIcon();
}

const std::array<const char*, ToolbarImages::kCount>& ToolbarImages::SkinNames() {
  static const std::array<const char*, kCount> names = [] {
    std::array<const char*, kCount> result{};
    for (std::size_t i = 0; i < result.size(); ++i) {
      result[i] = kImageSources[i].skin_name;
    }
    return result;
  }();
  return names;
}

void ToolbarImages::Replace(int index, bool big, const QIcon& icon) {
  if (!InRange(index, images_.size())) {
    return;
  }
  const QPixmap pixmap = PixmapAt(icon, big ? kBigSize : kSmallSize);
  if (pixmap.isNull()) {
    return;  // a bad skin entry leaves the image as it was
  }
  const auto i = static_cast<std::size_t>(index);
  (big ? skinBig_ : skinSmall_)[i] = pixmap;
  images_[i] = WithSkinSizes(DefaultImage(index), skinSmall_[i], skinBig_[i]);
  emit changed();
}

void ToolbarImages::ReplaceState(int index, const QIcon& icon) {
  if (!InRange(index, states_.size()) || icon.isNull()) {
    return;
  }
  states_[static_cast<std::size_t>(index)] = icon;
  emit changed();
}

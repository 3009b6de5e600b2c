#pragma once

#include <QIcon>
#include <QObject>
#include <QPixmap>
#include <array>

// The images of the tool bar and the menus, by their index in the program's image lists (the skin
// archive replaces them by the same indexes), and the list's state images. Each image is the desktop
// theme's icon where the theme has one, else this program's own from its resources, so a button never
// shows empty.
class ToolbarImages : public QObject {
  Q_OBJECT

 public:
  static constexpr int kCount = 29;
  // Indexes used by the main window and the game list.
  enum Index {
    kOptions = 0,
    kRun = 1,
    kPlayRecord = 2,
    kPlayback = 3,
    kList = 4,
    kDetails = 5,
    kHelp = 6,
    kAllRoms = 7,
    kFavoritesRoms = 8,
    kAvailableRoms = 9,
    kFilterRoms = 10,
    kIcons = 24,
    kGameInfo = 25,
    kGameDetails = 26,
  };

  explicit ToolbarImages(QObject* parent = nullptr);

  // The image at index (0 .. kCount-1); an empty icon outside that range.
  QIcon Image(int index) const;
  // The list's state images: 0 and 1 a working set, 2 one that is not.
  QIcon StateImage(int index) const;
  // The skin archive's entry names: "options.ico" … for the 32-pixel list, "options_small.ico" … for
  // the 16-pixel one.
  static const std::array<const char*, kCount>& SkinNames();
  // Replaces one size of an image (from the skin); emits changed.
  void Replace(int index, bool big, const QIcon& icon);
  void ReplaceState(int index, const QIcon& icon);

 signals:
  // An image was replaced: whoever shows one takes it again.
  void changed();

 private:
  std::array<QIcon, kCount> images_;
  std::array<QIcon, 3> states_;
  // The sizes the skin replaced, null where the default image still stands.
  std::array<QPixmap, kCount> skinSmall_;
  std::array<QPixmap, kCount> skinBig_;
};

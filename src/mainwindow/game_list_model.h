#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <QPointer>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "catalogue/game_list.h"
#include "catalogue/icon_source.h"

// The game list as the list views see it: rows are the listed games, held by the plain game list as
// row indexes into the catalogue; nothing is stored or parsed here. Icons are resolved for the rows
// painted, right after the paint (a paint shows the no-icon image for a row still waiting), and kept
// in a bounded store: reading an icon can ask for its archive's password, which no paint may wait on.
class QTimer;
class ToolbarImages;

class GameListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // The built-in images: 0 and 1 (no icon of its own), 2 (set not available).
  static constexpr int kNoIconImage = 1;
  static constexpr int kUnavailableImage = 2;
  static constexpr int kBuiltInImages = 3;
  // More icons than any screen shows at once, so a full store is simply emptied and refilled.
  static constexpr int kIconStoreLimit = 2048;
  // The signs shown on a game's icon: it has an input recording, or an option file of its own.
  static constexpr int kNoFileState = 0;
  static constexpr int kRecordingState = 1;
  static constexpr int kOptionFileState = 2;

  explicit GameListModel(kestrune::catalogue::GameList& list, QObject* parent = nullptr);

  // Where icons come from; null (the default) gives every available game image 1. A password given
  // later to the source's archive has every row's icon resolved again.
  void SetIconSource(kestrune::catalogue::IconSource* source);

  // Where the state images come from (a skin may replace them); taken again when one is replaced. Null
  // (the default), or an image that cannot be drawn, gives the list's own drawn images.
  void SetStateImages(const ToolbarImages* images);

  // The text colours of parent rows and of clone rows; an invalid colour leaves the view's own.
  void SetRowColours(const QColor& master, const QColor& clone);
  // The large icons show every name in the view's own colour.
  void SetRowColoursShown(bool shown);

  // Tells the views that the game list was rebuilt; the icon store is emptied with the rows' indexes.
  void ListRebuilt();
  // Tells the views that the listed games' texts changed in place (a play was counted); the rows and
  // the selection stay.
  void RowsChanged();
  // Forgets every row's icon and the icons themselves; the next paint resolves them again.
  void ClearIconIndexes();
  int IconStoreSize() const { return static_cast<int>(images_.size()); }
  // Puts the sign of a file state on the game's icon (kNoFileState takes it away); kept by set name, so
  // it stays through the list's rebuilding. The icon itself stays the game's own.
  void SetFileState(const std::string& romname, int state);
  int FileState(int row) const;
  QIcon Image(int index) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  // A column's caption in the user's language; the columns' own captions otherwise.
  bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                     int role = Qt::DisplayRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  int ImageIndexOf(int row) const;
  // The icons of the rows painted since the last time, resolved now that the paint is over.
  void ResolveWaitingIcons();
  int ResolveIcon(int row);
  void ResetImages();
  QIcon StateIcon(int index) const;
  QIcon WithFileState(int image, int state) const;
  void RefreshStateImages();

  kestrune::catalogue::GameList& list_;
  kestrune::catalogue::IconSource* iconSource_ = nullptr;
  QPointer<const ToolbarImages> stateImages_;
  // The built-in images, then the icons resolved.
  std::vector<QIcon> images_;
  // Rows painted with their icon unresolved; noted inside const data().
  mutable std::vector<int> waitingIcons_;
  QTimer* resolveIcons_;
  std::unordered_map<std::string, int> fileStates_;
  mutable std::map<std::pair<int, int>, QIcon> signedImages_;  // (image, state) → the icon with its sign
  std::vector<QString> captions_;                              // by column; empty: the column's own caption
  QColor masterColour_;
  QColor cloneColour_;
  bool rowColoursShown_ = true;
};

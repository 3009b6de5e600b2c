#include "mainwindow/game_list_model.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <string>

#include "mainwindow/toolbar_images.h"

namespace {

using kestrune::catalogue::GameList;
using kestrune::catalogue::kListColumnCount;
using kestrune::catalogue::kListColumns;
using kestrune::catalogue::LineField;

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QIcon DrawnStateImage(const QColor& color) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(color);
  painter.setPen(color.darker());
  painter.drawEllipse(6, 6, 20, 20);
  return QIcon(pixmap);
}

}  // namespace

GameListModel::GameListModel(GameList& list, QObject* parent) : QAbstractTableModel(parent), list_(list) {
  ResetImages();
}

void GameListModel::SetStateImages(const ToolbarImages* images) {
  if (stateImages_ != nullptr) {
    disconnect(stateImages_, nullptr, this, nullptr);
  }
  stateImages_ = images;
  if (images != nullptr) {
    connect(images, &ToolbarImages::changed, this, &GameListModel::RefreshStateImages);
  }
  RefreshStateImages();
}

QIcon GameListModel::StateIcon(int index) const {
  if (stateImages_ != nullptr) {
    QIcon icon = stateImages_->StateImage(index);
    if (!icon.isNull()) {
      return icon;
    }
  }
  return DrawnStateImage(index == kUnavailableImage ? QColor(192, 48, 48) : QColor(64, 160, 64));
}

void GameListModel::ResetImages() const {
  images_.clear();
  for (int i = 0; i < kBuiltInImages; ++i) {
    images_.push_back(StateIcon(i));
  }
}

void GameListModel::RefreshStateImages() {
  // Only the state images change: the rows' resolved icons keep their places in the store.
  for (int i = 0; i < kBuiltInImages; ++i) {
    images_[static_cast<std::size_t>(i)] = StateIcon(i);
  }
  if (rowCount() > 0) {
    emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
  }
}

void GameListModel::ListRebuilt() {
  beginResetModel();
  ResetImages();
  endResetModel();
}

void GameListModel::RowsChanged() {
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void GameListModel::ClearIconIndexes() {
  list_.ClearIconIndexes();
  ResetImages();
  if (rowCount() > 0) {
    emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
  }
}

QIcon GameListModel::Image(int index) const {
  return index >= 0 && index < IconStoreSize() ? images_[static_cast<std::size_t>(index)] : QIcon();
}

int GameListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : list_.GameCount(); }

int GameListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kListColumnCount; }

Qt::ItemFlags GameListModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

QVariant GameListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kListColumnCount) {
    return {};
  }
  const auto column = static_cast<std::size_t>(section);
  if (column < captions_.size() && !captions_[column].isEmpty()) return captions_[column];
  return ToQString(kListColumns[column].caption);
}

bool GameListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kListColumnCount) {
    return false;
  }
  captions_.resize(kListColumnCount);
  captions_[static_cast<std::size_t>(section)] = value.toString();
  emit headerDataChanged(orientation, section, section);
  return true;
}

QVariant GameListModel::data(const QModelIndex& index, int role) const {
  const int row = index.row();
  if (!index.isValid() || row < 0 || row >= list_.GameCount()) {
    return {};
  }
  if (role == Qt::DisplayRole) {
    return ToQString(list_.ColumnText(row, index.column()));
  }
  if (role == Qt::DecorationRole && index.column() == 0) {
    return images_[static_cast<std::size_t>(ImageIndexOf(row))];
  }
  if (role == Qt::ForegroundRole && rowColoursShown_) {
    const QColor& colour = list_.Field(row, LineField::cloneof).empty() ? masterColour_ : cloneColour_;
    if (colour.isValid()) return colour;
  }
  return {};
}

void GameListModel::SetRowColours(const QColor& master, const QColor& clone) {
  masterColour_ = master;
  cloneColour_ = clone;
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::ForegroundRole});
}

void GameListModel::SetRowColoursShown(bool shown) {
  if (shown == rowColoursShown_) return;
  rowColoursShown_ = shown;
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::ForegroundRole});
}

int GameListModel::ImageIndexOf(int row) const {
  if (list_.IsUnavailable(row)) {
    return kUnavailableImage;
  }
  int image = list_.ImageIndex(row);
  if (image <= 0 || image >= IconStoreSize()) {
    image = ResolveIcon(row);
    list_.SetImageIndex(row, image);
  }
  return image;
}

int GameListModel::ResolveIcon(int row) const {
  std::string bytes;
  if (iconSource_ == nullptr || !kestrune::catalogue::ReadGameIcon(*iconSource_, list_.Field(row, LineField::romname),
                                                                   list_.Field(row, LineField::cloneof), bytes)) {
    return kNoIconImage;
  }
  const QImage image = QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()));
  if (image.isNull()) {
    return kNoIconImage;
  }
  if (IconStoreSize() >= kIconStoreLimit) {
    // Every row's index points into the store, so they are forgotten together; visible rows are
    // resolved again as they are painted.
    list_.ClearIconIndexes();
    ResetImages();
  }
  images_.push_back(QIcon(QPixmap::fromImage(image)));
  return IconStoreSize() - 1;
}

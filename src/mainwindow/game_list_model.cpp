#include "mainwindow/game_list_model.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QTimer>
#include <algorithm>
#include <string>

#include "catalogue/movie_header.h"
#include "mainwindow/toolbar_images.h"

namespace {

using kestrune::catalogue::GameList;
using kestrune::catalogue::kListColumnCount;
using kestrune::catalogue::kListColumns;
using kestrune::catalogue::LineField;

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The large icons' size: no icon is drawn larger, so none is kept larger.
constexpr int kLargestIconSide = 32;

// An icon within the icon limits, made no larger than it is drawn; a null image when the bytes are no
// picture, its header gives a size beyond the limits, its data would inflate beyond that size, or it
// does not decode. The size is read before any pixel is decoded.
QImage DecodeIcon(const std::string& bytes) {
  QBuffer buffer;
  buffer.setData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  const QSize size = reader.size();
  if (!size.isValid() || size.isEmpty() || size.width() > kestrune::catalogue::kMaxIconSide ||
      size.height() > kestrune::catalogue::kMaxIconSide || !kestrune::catalogue::IcoPicturesWithinLimits(bytes) ||
      !kestrune::catalogue::CheckPngData(bytes, nullptr)) {
    return QImage();
  }
  QImage image;
  if (!reader.read(&image) || image.isNull()) return QImage();
  if (image.width() <= kLargestIconSide && image.height() <= kLargestIconSide) return image;
  return image.scaled(kLargestIconSide, kLargestIconSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

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

GameListModel::GameListModel(GameList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list), resolveIcons_(new QTimer(this)) {
  resolveIcons_->setSingleShot(true);
  resolveIcons_->setInterval(0);
  connect(resolveIcons_, &QTimer::timeout, this, &GameListModel::ResolveWaitingIcons);
  ResetImages();
}

void GameListModel::SetIconSource(kestrune::catalogue::IconSource* source) {
  iconSource_ = source;
  if (source != nullptr) {
    // The rows that found no icon while the password was missing look again.
    source->SetPasswordGiven([model = QPointer<GameListModel>(this)] {
      if (model != nullptr) model->ClearIconIndexes();
    });
  }
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

void GameListModel::ResetImages() {
  images_.clear();
  signedImages_.clear();
  for (int i = 0; i < kBuiltInImages; ++i) {
    images_.push_back(StateIcon(i));
  }
}

void GameListModel::RefreshStateImages() {
  // Only the state images change: the rows' resolved icons keep their places in the store.
  for (int i = 0; i < kBuiltInImages; ++i) {
    images_[static_cast<std::size_t>(i)] = StateIcon(i);
  }
  signedImages_.clear();
  if (rowCount() > 0) {
    emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
  }
}

void GameListModel::ListRebuilt() {
  beginResetModel();
  waitingIcons_.clear();
  ResetImages();
  endResetModel();
}

void GameListModel::RowsChanged() {
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void GameListModel::ClearIconIndexes() {
  list_.ClearIconIndexes();
  waitingIcons_.clear();
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
    const int image = ImageIndexOf(row);
    const int state = FileState(row);
    return state == kNoFileState ? images_[static_cast<std::size_t>(image)] : WithFileState(image, state);
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

void GameListModel::SetFileState(const std::string& romname, int state) {
  if (state == kNoFileState) {
    fileStates_.erase(romname);
  } else {
    fileStates_[romname] = state;
  }
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

int GameListModel::FileState(int row) const {
  if (fileStates_.empty()) return kNoFileState;
  const auto found = fileStates_.find(std::string(list_.Field(row, LineField::romname)));
  return found == fileStates_.end() ? kNoFileState : found->second;
}

// The game's icon with the sign of its state in the lower right quarter, in both sizes the views use.
QIcon GameListModel::WithFileState(int image, int state) const {
  const auto key = std::make_pair(image, state);
  if (const auto found = signedImages_.find(key); found != signedImages_.end()) return found->second;
  const int sign = state == kRecordingState ? ToolbarImages::kPlayRecord : ToolbarImages::kOptions;
  const QIcon signIcon = stateImages_ != nullptr ? stateImages_->Image(sign) : QIcon();
  QIcon result;
  for (const int size : {16, 32}) {
    QPixmap pixmap = images_[static_cast<std::size_t>(image)].pixmap(size, size);
    if (pixmap.isNull()) continue;
    // An icon smaller than the size asked comes at its own size: the sign goes in its own corner.
    const QSize own = pixmap.deviceIndependentSize().toSize();
    QPainter painter(&pixmap);
    const QRect corner(own.width() / 2, own.height() / 2, own.width() / 2, own.height() / 2);
    if (signIcon.isNull()) {
      painter.setBrush(state == kRecordingState ? QColor(200, 40, 40) : QColor(40, 90, 200));
      painter.drawEllipse(corner.adjusted(1, 1, -1, -1));
    } else {
      signIcon.paint(&painter, corner);
    }
    painter.end();
    result.addPixmap(pixmap);
  }
  signedImages_.emplace(key, result);
  return result;
}

int GameListModel::ImageIndexOf(int row) const {
  if (list_.IsUnavailable(row)) {
    return kUnavailableImage;
  }
  const int image = list_.ImageIndex(row);
  if (image > 0 && image < IconStoreSize()) {
    return image;
  }
  if (iconSource_ == nullptr) {
    list_.SetImageIndex(row, kNoIconImage);
    return kNoIconImage;
  }
  // data() runs many times a paint: the timer is started once for all the rows it gathers.
  if (waitingIcons_.empty()) resolveIcons_->start();
  waitingIcons_.push_back(row);
  return kNoIconImage;
}

void GameListModel::ResolveWaitingIcons() {
  std::vector<int> rows;
  rows.swap(waitingIcons_);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  int first = -1;
  int last = -1;
  bool storeEmptied = false;
  for (const int row : rows) {
    if (row >= list_.GameCount() || list_.IsUnavailable(row)) continue;
    const int image = list_.ImageIndex(row);
    if (image > 0 && image < IconStoreSize()) continue;
    const int sizeBefore = IconStoreSize();
    list_.SetImageIndex(row, ResolveIcon(row));
    storeEmptied = storeEmptied || IconStoreSize() < sizeBefore;
    first = first < 0 ? row : first;
    last = row;
  }
  if (first < 0) return;
  // An emptied store took every row's icon with it: the rows painted ask again.
  if (storeEmptied) {
    emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
  } else {
    emit dataChanged(index(first, 0), index(last, 0), {Qt::DecorationRole});
  }
}

int GameListModel::ResolveIcon(int row) {
  std::string bytes;
  if (iconSource_ == nullptr || !kestrune::catalogue::ReadGameIcon(*iconSource_, list_.Field(row, LineField::romname),
                                                                   list_.Field(row, LineField::cloneof), bytes)) {
    return kNoIconImage;
  }
  const QImage image = DecodeIcon(bytes);
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

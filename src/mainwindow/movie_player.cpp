#include "mainwindow/movie_player.h"

#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <climits>

#include "mainwindow/artwork_picture.h"

namespace cat = kestrune::catalogue;

MoviePlayer::MoviePlayer(const std::filesystem::path& file, std::uint64_t maxPixels, QObject* parent)
    : QObject(parent),
      stream_(std::make_unique<cat::MngStream>(file, maxPixels)),
      file_(QString::fromStdString(file.string())),
      timer_(new QTimer(this)) {
  timer_->setSingleShot(true);
  timer_->setTimerType(Qt::PreciseTimer);
  connect(timer_, &QTimer::timeout, this, [this] { Advance(true); });
}

MoviePlayer::~MoviePlayer() = default;

QSize MoviePlayer::CanvasSize() const {
  return QSize(static_cast<int>(Survey().width), static_cast<int>(Survey().height));
}

void MoviePlayer::SetBackground(const QColor& colour) {
  background_ = colour;
  Compose();
}

QSize MoviePlayer::ShownSize() const { return shownSize_.isEmpty() ? CanvasSize() : shownSize_; }

void MoviePlayer::SetShownSize(QSize size) {
  if (size == shownSize_) return;
  shownSize_ = size;
  Compose();
}

void MoviePlayer::Start() {
  if (Survey().verdict != cat::MngSurvey::Verdict::kFrames) return;
  running_ = true;
  clock_.start();
  dueUs_ = 0;
  Advance(true);
}

void MoviePlayer::SetPaused(bool paused) {
  if (paused) {
    running_ = false;
    timer_->stop();
  } else if (!running_ && !over_ && frameNumber_ >= 0) {
    // The timing starts again from now: the frame shown gets its time afresh.
    running_ = true;
    clock_.start();
    dueUs_ = 0;
    Schedule(0);
  }
}

bool MoviePlayer::IsRunning() const { return running_; }

bool MoviePlayer::Step() {
  if (Survey().verdict != cat::MngSurvey::Verdict::kFrames) return false;
  return Advance(false);
}

// Reads and shows the next frame; when timed, arms the timer for the one after.
bool MoviePlayer::Advance(bool timed) {
  timed = timed && running_;
  cat::MngFrame frame;
  if (pending_) {
    frame = std::move(*pending_);
    pending_.reset();
  } else {
    std::string why;
    const cat::MngStream::Step step = over_ ? cat::MngStream::Step::kEnd : stream_->Next(frame, &why);
    if (step != cat::MngStream::Step::kFrame) {
      over_ = true;
      running_ = false;
      timer_->stop();
      if (step == cat::MngStream::Step::kError) {
        emit failed(QString::fromStdString(why));
      } else if (stream_->ClearsAtEnd() && !frame_.isNull()) {
        frame_ = QImage();
        Compose();
      }
      return false;
    }
    if (timed && frame.pauseBeforeUs > 0) {
      pending_ = std::move(frame);
      Schedule(pending_->pauseBeforeUs);
      return true;
    }
  }
  ShowDecoded(frame);
  if (timed) Schedule(frame.delayUs);
  return true;
}

void MoviePlayer::Schedule(std::uint64_t afterUs) {
  if (afterUs == cat::kMngForever) {
    running_ = false;
    return;
  }
  dueUs_ += afterUs;
  // Each frame is due a whole delay after the one before, however long decoding took, so the movie
  // keeps the file's speed.
  const std::uint64_t nowUs = static_cast<std::uint64_t>(clock_.nsecsElapsed() / 1000);
  const std::uint64_t waitMs = dueUs_ > nowUs ? (dueUs_ - nowUs) / 1000 : 0;
  timer_->start(static_cast<int>(std::min<std::uint64_t>(waitMs, INT_MAX)));
}

void MoviePlayer::ShowDecoded(const cat::MngFrame& frame) {
  ++frameNumber_;
  QString why;
  QImage image =
      DecodeArtwork(QByteArray::fromRawData(frame.png.data(), static_cast<qsizetype>(frame.png.size())), &why);
  if (image.isNull()) {
    // The frame before stays for this one's time too.
    if (!warnedOfFrame_) {
      qWarning("kestrune: %s: frame %lld is not shown: %s", qUtf8Printable(file_),
               static_cast<long long>(frameNumber_), qUtf8Printable(why));
      warnedOfFrame_ = true;
    }
    return;
  }
  frame_ = std::move(image);
  Compose();
}

// The frame scaled whole to the shown size (a frame larger or smaller than the canvas is the canvas's
// picture all the same) and drawn on the background where it is transparent.
void MoviePlayer::Compose() {
  if (frameNumber_ < 0) return;
  const QSize size = ShownSize();
  QImage shown(size, QImage::Format_RGB32);
  shown.fill(background_);
  if (!frame_.isNull()) {
    QPainter painter(&shown);
    if (frame_.size() == size) {
      painter.drawImage(0, 0, frame_);
    } else {
      painter.drawImage(0, 0, frame_.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
  }
  shown_ = std::move(shown);
  emit frameShown(shown_);
}

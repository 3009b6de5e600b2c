#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QSize>
#include <filesystem>
#include <memory>
#include <optional>

#include "catalogue/mng_stream.h"

class QTimer;

// Plays an MNG movie whose frames are whole PNG images (MAME's recordings, simple artwork movies) from
// its file, one frame at a time with the file's timing: each frame is read, decoded with Qt's PNG
// reader, scaled whole to the size shown and drawn on the background, and only that frame is kept.
class MoviePlayer : public QObject {
  Q_OBJECT

 public:
  // Opens the file and surveys its start; it plays only when Survey() says kFrames.
  MoviePlayer(const std::filesystem::path& file, std::uint64_t maxPixels, QObject* parent = nullptr);
  ~MoviePlayer() override;

  const kestrune::catalogue::MngSurvey& Survey() const { return stream_->Survey(); }
  QSize CanvasSize() const;
  void SetBackground(const QColor& colour);
  // The size frames are shown at; the canvas's until set.
  void SetShownSize(QSize size);
  QSize ShownSize() const;

  // Shows the first frame and goes on with the file's timing.
  void Start();
  // Stops and starts the timing again; the frame shown stays.
  void SetPaused(bool paused);
  bool IsRunning() const;
  // Shows the next frame at once, whatever the timing; false when there is none (the movie is over or
  // cannot go on).
  bool Step();
  // The frame shown, at the shown size on the background; null before the first frame.
  const QImage& CurrentImage() const { return shown_; }
  // Whether a frame of the movie is shown, not only the background (none decoded yet, or cleared at the end).
  bool ShowsAFrame() const { return !frame_.isNull(); }
  // The frame shown, counted from 0 (repeats go on counting); -1 before the first.
  qint64 CurrentFrameNumber() const { return frameNumber_; }

 signals:
  void frameShown(const QImage& image);
  // The movie cannot go on from here (a chunk it cannot play, an image beyond the limits, a damaged
  // file): the player has stopped, the frame shown stays.
  void failed(const QString& why);

 private:
  bool Advance(bool timed);
  void Schedule(std::uint64_t afterUs);
  void ShowDecoded(const kestrune::catalogue::MngFrame& frame);
  void Compose();

  std::unique_ptr<kestrune::catalogue::MngStream> stream_;
  QString file_;
  QTimer* timer_;
  QElapsedTimer clock_;
  // When the next frame is due, in microseconds of clock_.
  std::uint64_t dueUs_ = 0;
  bool running_ = false;
  bool over_ = false;
  bool warnedOfFrame_ = false;
  // A frame read and held back for a pause between repeats.
  std::optional<kestrune::catalogue::MngFrame> pending_;
  QColor background_ = Qt::white;
  QSize shownSize_;
  QImage frame_;
  QImage shown_;
  qint64 frameNumber_ = -1;
};

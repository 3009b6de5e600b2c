#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>
#include <functional>

#include "taskdialog/named_list.h"
#include "taskdialog/picture_bytes.h"

class QIODevice;
class QPainter;

// A picture that keeps the bytes it was loaded from and shows them through Qt's image readers, one
// frame of an animated GIF at a time. The tagged text finds pictures by name in a TPictureList.
//
// Loading raises kestrune::taskdialog::PictureLoadError (with the message the user sees) when the
// bytes cannot be shown; the picture then keeps its bytes, shows nothing and measures 0 by 0.
class TTagPicture {
 public:
  using TNotifyEvent = std::function<void(TTagPicture& Sender)>;

  // From another picture its bytes and frame (and they are loaded); from none, no bytes at all. Raises
  // OnChange.
  void Assign(const TTagPicture* source);
  void LoadFromStream(QIODevice& stream);
  // A file that cannot be read raises std::runtime_error naming it.
  void LoadFromFile(const QString& fileName);
  // "RES://name" loads the program's resource ":/name" (nothing happens when there is none),
  // "FILE://path" that file; any other address is only kept: nothing is fetched from the network.
  void LoadFromAddress(const QString& address);
  // Bytes stored with a window: loaded like a stream, without OnChange.
  void ReadData(const QByteArray& bytes);
  QByteArray WriteData() const;
  void SaveToStream(QIODevice& stream) const;

  bool Empty() const { return bytes_.Empty(); }
  int Width() const { return image_.width(); }
  int Height() const { return image_.height(); }
  const QImage& Image() const { return image_; }
  QString Address() const { return address_; }

  bool Stretch() const { return stretch_; }
  void SetStretch(bool value) { stretch_ = value; }
  // The GIF frame shown, from 1; setting it loads the bytes again for that frame and raises
  // OnFrameChange.
  int Frame() const { return frame_; }
  void SetFrame(int value);
  // -1 for anything but a GIF.
  int FrameCount() const { return bytes_.FrameCount(); }
  QRect FrameRect() const;
  QSize ScreenSize() const { return {bytes_.ScreenWidth(), bytes_.ScreenHeight()}; }

  const QString& Name() const { return name_; }
  void SetName(const QString& value) { name_ = value; }

  // Scaled to rect when Stretch is set, else at its own size at rect's top left.
  void Draw(QPainter& painter, const QRect& rect) const;

  TNotifyEvent OnChange;
  TNotifyEvent OnFrameChange;

 private:
  void TakeBytes(const QByteArray& bytes);
  void LoadImage();
  void Changed();

  kestrune::taskdialog::PictureBytes bytes_;
  QImage image_;
  bool stretch_ = false;
  int frame_ = 1;
  QString name_;
  QString address_;
};

// The named pictures the tagged text's IMG tags reach.
using TPictureList = kestrune::taskdialog::NamedList<TTagPicture>;

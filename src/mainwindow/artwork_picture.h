#pragma once

#include <QImage>
#include <QWidget>

// One picture pane of the picture area (`snap`, `flyer`, `cabinet`, …): the picture centred on a
// white ground, either fitted into the pane (resize mode) or drawn at a fixed zoom (scale mode), and
// resampled with the kernel chosen in the preferences. The resampled picture is made once per change
// of picture, pane size, mode or kernel, not on every paint.
class ArtworkPicture : public QWidget {
  Q_OBJECT

 public:
  // The kernels in the order of the preferences' `stretchfilter` list.
  enum class Kernel { Lanczos = 0, Box = 1, Mitchell = 2, Linear = 3, Spline = 4 };
  static constexpr int kKernelCount = 5;

  explicit ArtworkPicture(const QString& name, QWidget* parent = nullptr);

  // A null image leaves the pane white.
  void SetImage(const QImage& image);
  const QImage& Image() const { return image_; }
  void SetKernel(Kernel kernel);
  Kernel GetKernel() const { return kernel_; }
  // Resize mode fits the picture into the pane keeping its proportions; scale mode draws it at Zoom.
  void SetResizeMode(bool on);
  bool ResizeMode() const { return resizeMode_; }
  void SetZoom(double zoom);
  double Zoom() const { return zoom_; }

  // The size the picture is drawn at in the pane as it is now (device-independent pixels).
  QSize DrawnSize() const;
  // The picture as drawn: resampled to DrawnSize, made now when the last one no longer fits.
  const QImage& Displayed();

 signals:
  void mouseEntered();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Invalidate();

  QImage image_;
  QImage displayed_;
  bool displayedValid_ = false;
  Kernel kernel_ = Kernel::Lanczos;
  bool resizeMode_ = true;
  double zoom_ = 1.0;
};

// Pictures with more pixels than this are refused before they are decoded.
inline constexpr qint64 kMaxArtworkPixels = 64LL * 1000 * 1000;

// Decodes a picture file's bytes (PNG, JPEG, GIF, BMP, ICO …). A picture whose header gives no size or
// more than kMaxArtworkPixels, a PNG whose image data inflates to more than its size needs, or a picture
// that does not decode whole (a truncated file), is refused: the result is null and *why says why.
QImage DecodeArtwork(const QByteArray& bytes, QString* why = nullptr);

// The picture resampled to `size` with the kernel (ImageMagick's Lanczos, Box, Mitchell, Triangle and
// Spline filters). Falls back to Qt's smooth scaling, with a message on stderr, when ImageMagick fails.
QImage ResampleArtwork(const QImage& image, QSize size, ArtworkPicture::Kernel kernel);

// The program's own picture, shown where a game has no artwork.
QImage BuiltInLogo();

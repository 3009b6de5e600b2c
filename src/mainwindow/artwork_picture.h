#pragma once

#include <QImage>
#include <QWidget>

// One picture pane of the picture area (`snap`, `flyer`, `cabinet`, …): the picture centred on a
// white ground, either fitted into the pane (resize mode) or drawn at a fixed zoom (scale mode), and
// resampled with the kernel chosen in the preferences.
class ArtworkPicture : public QWidget {
  Q_OBJECT

 public:
  // The kernels in the order of the preferences' `stretchfilter` list.
  enum class Kernel { Lanczos = 0, Box = 1, Mitchell = 2, Linear = 3, Spline = 4 };
  static constexpr int kKernelCount = 5;

  explicit ArtworkPicture(const QString& name, QWidget* parent = nullptr);

  void SetImage(const QImage& image);
  const QImage& Image() const { return image_; }
  void SetKernel(Kernel kernel);
  Kernel GetKernel() const { return kernel_; }
  // Resize mode fits the picture into the pane keeping its proportions; scale mode draws it at Zoom.
  void SetResizeMode(bool on);
  bool ResizeMode() const { return resizeMode_; }
  void SetZoom(double zoom);
  double Zoom() const { return zoom_; }

 signals:
  void mouseEntered();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;

 private:
  QImage image_;
  Kernel kernel_ = Kernel::Lanczos;
  bool resizeMode_ = true;
  double zoom_ = 1.0;
};

#include "mainwindow/artwork_picture.h"

#include <QPainter>

ArtworkPicture::ArtworkPicture(const QString& name, QWidget* parent) : QWidget(parent) {
  setObjectName(name);
  setMinimumSize(16, 16);
}

void ArtworkPicture::SetImage(const QImage& image) {
  image_ = image;
  update();
}

void ArtworkPicture::SetKernel(Kernel kernel) {
  kernel_ = kernel;
  update();
}

void ArtworkPicture::SetResizeMode(bool on) {
  resizeMode_ = on;
  update();
}

void ArtworkPicture::SetZoom(double zoom) {
  zoom_ = zoom;
  update();
}

void ArtworkPicture::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (image_.isNull()) return;
  QSizeF size = image_.size();
  if (resizeMode_) {
    size.scale(QSizeF(this->size()), Qt::KeepAspectRatio);
  } else {
    size *= zoom_;
  }
  const QRectF target((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(), size.height());
  // The box kernel keeps hard pixel edges; every other kernel smooths.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, kernel_ != Kernel::Box);
  painter.drawImage(target, image_);
}

void ArtworkPicture::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  emit mouseEntered();
}

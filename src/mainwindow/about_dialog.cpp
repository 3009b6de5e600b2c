#include "mainwindow/about_dialog.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QShowEvent>
#include <QStringList>

#include "mainwindow/window_frame.h"

#ifndef KESTRUNE_VERSION
#define KESTRUNE_VERSION "unknown"
#endif

namespace {

constexpr int kPictureWidth = 480;
constexpr int kPictureHeight = 400;
// The credits stand on the lower panel of the picture, below the name.
constexpr int kCreditsTop = 176;

}  // namespace

// The program's name at the top and a quiet panel for the credits.
QImage AboutPicture() {
  QImage picture(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient ground(0, 0, 0, kPictureHeight);
  ground.setColorAt(0, QColor(0x1d, 0x35, 0x57));
  ground.setColorAt(1, QColor(0x10, 0x1c, 0x2e));
  painter.fillRect(picture.rect(), ground);
  QPainterPath wings;
  wings.moveTo(240, 66);
  wings.cubicTo(200, 26, 150, 22, 112, 42);
  wings.cubicTo(155, 46, 190, 60, 240, 92);
  wings.cubicTo(290, 60, 325, 46, 368, 42);
  wings.cubicTo(330, 22, 280, 26, 240, 66);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xf4, 0xa2, 0x61));
  painter.drawPath(wings);
  QFont font = painter.font();
  font.setPixelSize(44);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRectF(0, 96, kPictureWidth, 56), Qt::AlignCenter, QStringLiteral("KESTRUNE"));
  painter.setBrush(QColor(0, 0, 0, 90));
  painter.drawRoundedRect(QRectF(16, kCreditsTop, kPictureWidth - 32, kPictureHeight - kCreditsTop - 16), 12, 12);
  return picture;
}

TForm6::TForm6(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      Image1_(new QLabel),
      memo1_(new QLabel) {
  setObjectName("Form6");
  setWindowTitle(QStringLiteral("About"));
  Image1_->setObjectName("Image1");
  const QPixmap picture = QPixmap::fromImage(AboutPicture());
  Image1_->setPixmap(picture);
  Image1_->setScaledContents(true);
  Image1_->setMinimumSize(picture.size());
  memo1_->setObjectName("memo1");
  memo1_->setAttribute(Qt::WA_TranslucentBackground);
  memo1_->setWordWrap(true);
  memo1_->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
  memo1_->setAlignment(Qt::AlignCenter);
  memo1_->setContentsMargins(32, kCreditsTop + 8, 32, 24);
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Image1_, 0, 0);
  layout->addWidget(memo1_, 0, 0);
  Image1_->installEventFilter(this);
  memo1_->installEventFilter(this);
}

QString TForm6::AboutText() {
  return QStringList{
      QStringLiteral("Kestrune is free software, distributed in the hope that it will be useful, but WITHOUT ANY "
                     "WARRANTY."),
      QStringLiteral("A front-end for MAME by the Kestrune developers."),
      QStringLiteral("Version %1").arg(QStringLiteral(KESTRUNE_VERSION)),
      QStringLiteral("Thanks to the MAME team, the Qt project and the authors of catver.ini, nplayers.ini, "
                     "history.dat and mameinfo.dat."),
      QStringLiteral("Build : %1").arg(QStringLiteral(__DATE__)),
  }
      .join('\n');
}

void TForm6::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  AskForNoMinimiseOrMaximise(*this);
  memo1_->setText(AboutText());
  if (parentWidget() != nullptr) move(parentWidget()->window()->geometry().center() - rect().center());
}

void TForm6::mousePressEvent(QMouseEvent* event) {
  event->accept();
  accept();
}

bool TForm6::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress && (watched == Image1_ || watched == memo1_)) {
    accept();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

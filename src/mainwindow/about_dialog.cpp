#include "mainwindow/about_dialog.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QShowEvent>
#include <QStringList>

#include "mainwindow/artwork_picture.h"

#ifndef KESTRUNE_VERSION
#define KESTRUNE_VERSION "unknown"
#endif

TForm6::TForm6(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      Image1_(new QLabel),
      memo1_(new QLabel) {
  setObjectName("Form6");
  setWindowTitle(QStringLiteral("About"));
  Image1_->setObjectName("Image1");
  const QPixmap picture = QPixmap::fromImage(BuiltInLogo());
  Image1_->setPixmap(picture);
  Image1_->setScaledContents(true);
  Image1_->setMinimumSize(picture.size() * 3 / 2);
  memo1_->setObjectName("memo1");
  memo1_->setAttribute(Qt::WA_TranslucentBackground);
  memo1_->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
  memo1_->setWordWrap(true);
  memo1_->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
  memo1_->setContentsMargins(16, 16, 16, 24);
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

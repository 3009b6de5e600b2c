#include "mainwindow/loading_window.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "mainwindow/game_list_controller.h"
#include "mainwindow/main_window.h"
#include "mainwindow/program_windows.h"

TForm11::TForm11(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), loader_(new QLabel(this)) {
  setObjectName("Form11");
  setWindowTitle(QStringLiteral("Loading Game..."));
  loader_->setObjectName("loader");
  loader_->setText(QStringLiteral("Loading Game..."));
  loader_->setAlignment(Qt::AlignCenter);
  loader_->setWordWrap(true);
  loader_->setMinimumSize(320, 80);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(loader_);
}

QString TForm11::LoadingText() {
  if (Form1 == nullptr) return QStringLiteral("Loading Game...");
  const int row = Form1->gameList()->View()->SelectedRow();
  if (row < 0) return QStringLiteral("Loading Game...");
  return QStringLiteral("Loading ") + QString::fromStdString(Form1->gameList()->List().Record(row).description);
}

bool TForm11::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) loader_->setText(LoadingText());
  return QWidget::event(event);
}

void TForm11::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  loader_->setText(LoadingText());
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

#include "mainwindow/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
  setObjectName("Form1");
  setWindowTitle(QStringLiteral("Kestrune ") + QStringLiteral(KESTRUNE_VERSION));
  resize(925, 600);
}

void TForm1::ShowAndRaise() {
  if (isMinimized()) {
    showNormal();
  } else {
    show();
  }
  raise();
  activateWindow();
}

void TForm1::closeEvent(QCloseEvent* event) {
  event->accept();
  QCoreApplication::quit();
}

#include <QApplication>

#include "mainwindow/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  TForm1 mainWindow;
  mainWindow.show();
  return QApplication::exec();
}

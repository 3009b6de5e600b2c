#include "mainwindow/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>

#include <filesystem>
#include <system_error>

std::string CurrentFrontDir() {
  std::string folder = QDir::currentPath().toStdString();
  if (folder.empty() || folder.back() != '/') {
    folder += '/';
  }
  return folder;
}

TForm1::TForm1(QWidget* parent, const std::string& frontDir)
    : QMainWindow(parent), frontDir_(frontDir.empty() ? CurrentFrontDir() : frontDir) {
  setObjectName("Form1");
  setWindowTitle(QStringLiteral("Kestrune ") + QStringLiteral(KESTRUNE_VERSION));
  resize(925, 600);

  std::error_code error;
  std::filesystem::create_directories(frontDir_ + "ini", error);
  if (error) {
    qWarning("kestrune: cannot create the folder %sini: %s", frontDir_.c_str(), error.message().c_str());
  }
  settings_ = std::make_unique<kestrune::settings::Settings>(frontDir_);
  if (!settings_->LoadError().empty()) {
    qWarning("kestrune: %s", settings_->LoadError().c_str());
  }
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

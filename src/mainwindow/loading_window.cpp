#include "mainwindow/loading_window.h"

#include <QLabel>
#include <QVBoxLayout>

TForm11::TForm11(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), Label1_(new QLabel(this)) {
  setObjectName("Form11");
  setWindowTitle(QStringLiteral("Loading Game..."));
  Label1_->setObjectName("Label1");
  Label1_->setText(QStringLiteral("Loading Game..."));
  Label1_->setAlignment(Qt::AlignCenter);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1_);
}

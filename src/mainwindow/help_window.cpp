#include "mainwindow/help_window.h"

#include <QFile>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "translation/program_strings_qt.h"

namespace tr = kestrune::translation;

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("HelpWindow");
  resize(640, 520);
  text_ = new QTextBrowser(this);
  text_->setObjectName("helptext");
  text_->setReadOnly(true);
  // The README's links lead to web pages, which need the desktop's browser: they are shown, not followed.
  text_->setOpenLinks(false);
  closeButton_ = new QPushButton(this);
  closeButton_->setObjectName("closebutton");
  connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_);
  layout->addWidget(closeButton_, 0, Qt::AlignRight);
}

bool HelpWindow::ShowFile(const QString& path, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = ProgramQText(tr::kSCannotReadFile).arg(path, file.errorString());
    return false;
  }
  setWindowTitle(ProgramQText(tr::kSHelpTitle));
  closeButton_->setText(ProgramQText(tr::kSHelpClose));
  text_->setMarkdown(QString::fromUtf8(file.readAll()));
  show();
  raise();
  activateWindow();
  return true;
}

#include "mainwindow/driver_info_dialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "catalogue/history_text.h"

TForm10::TForm10(QWidget* parent) : QDialog(parent) {
  setObjectName("Form10");
  setWindowTitle(QStringLiteral("Game Driver Info"));
  resize(520, 420);
  gamedrivermemo_ = new QPlainTextEdit(this);
  gamedrivermemo_->setObjectName("gamedrivermemo");
  gamedrivermemo_->setReadOnly(true);
  gamedrivermemo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->button(QDialogButtonBox::Close)->setObjectName("Button1");
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(gamedrivermemo_);
  layout->addWidget(buttons);
}

void TForm10::SetDriver(const kestrune::catalogue::MameInfoIndex* mameinfo, std::string driver) {
  mameinfo_ = mameinfo;
  driver_ = std::move(driver);
}

void TForm10::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TForm10::FormShow() {
  const std::string text = kestrune::catalogue::DriverInfoText(mameinfo_, driver_);
  driverInfoText_ = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  gamedrivermemo_->setPlainText(driverInfoText_);
}

#include "zip/zip_prompter_qt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>

namespace kestrune::zip {
namespace {

using Button = TZipPromptResult;

struct ButtonRow {
  Button answer;
  QMessageBox::StandardButton standard;
  const char* caption;  // English, with its accelerator
};
constexpr ButtonRow kButtons[] = {
    {Button::Ok, QMessageBox::Ok, "OK"},
    {Button::Cancel, QMessageBox::Cancel, "Cancel"},
    {Button::Yes, QMessageBox::Yes, "&Yes"},
    {Button::No, QMessageBox::No, "&No"},
    {Button::NoToAll, QMessageBox::NoToAll, "N&o to All"},
    {Button::YesToAll, QMessageBox::YesToAll, "Yes to &All"},
    {Button::Abort, QMessageBox::Abort, "&Abort"},
    {Button::Retry, QMessageBox::Retry, "&Retry"},
    {Button::Ignore, QMessageBox::Ignore, "&Ignore"},
};

const ButtonRow* RowOf(Button answer) {
  for (const ButtonRow& row : kButtons) {
    if (row.answer == answer) {
      return &row;
    }
  }
  return nullptr;
}

// Escape gives the answer that closing the box stands for: Cancel, No or Abort, whichever it has.
QAbstractButton* EscapeButton(const QMessageBox& box) {
  for (const QMessageBox::StandardButton standard : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Abort}) {
    if (QAbstractButton* button = box.button(standard)) {
      return button;
    }
  }
  return nullptr;
}

// The window the question belongs to: the one in front, so that it stays in front of it.
QWidget* ParentWindow() {
  QWidget* modal = QApplication::activeModalWidget();
  return modal != nullptr ? modal : QApplication::activeWindow();
}

}  // namespace

TZipPrompterQt::TZipPrompterQt(Translation inLanguage)
    : inLanguage_(std::move(inLanguage)), context_(std::make_unique<QObject>()) {}

TZipPrompterQt::~TZipPrompterQt() { delete passwordBox_; }

QString TZipPrompterQt::InLanguage(std::string_view english) const {
  return inLanguage_ ? inLanguage_(english) : QString::fromUtf8(english.data(), static_cast<qsizetype>(english.size()));
}

bool TZipPrompterQt::OnApplicationThread() {
  return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr &&
         QThread::currentThread() == QCoreApplication::instance()->thread();
}

TZipPromptResult TZipPrompterQt::Ask(const WideString& text, const std::vector<TZipPromptResult>& buttons) {
  if (!OnApplicationThread()) {
    return TZipPrompter::Ask(text, buttons);
  }
  QMessageBox box(QMessageBox::Question, QStringLiteral("Kestrune"), InLanguage(WideToUtf8(text)),
                  QMessageBox::NoButton, ParentWindow());
  for (const Button answer : buttons) {
    if (const ButtonRow* row = RowOf(answer)) {
      box.addButton(row->standard)->setText(InLanguage(row->caption));
    }
  }
  box.setEscapeButton(EscapeButton(box));
  box.exec();
  const QMessageBox::StandardButton clicked = box.standardButton(box.clickedButton());
  for (const ButtonRow& row : kButtons) {
    if (row.standard == clicked && clicked != QMessageBox::NoButton) {
      return row.answer;
    }
  }
  return Button::None;
}

TZipPasswordReply TZipPrompterQt::AskPassword(const WideString& caption, const WideString& prompt, AnsiString& value,
                                              TZipPasswordRequest request) {
  if (!OnApplicationThread()) {
    return TZipPrompter::AskPassword(caption, prompt, value, std::move(request));
  }
  if (passwordAsked_) {
    return TZipPasswordReply::NotNow;
  }
  passwordAsked_ = true;
  QTimer::singleShot(0, context_.get(),
                     [this, caption = InLanguage(WideToUtf8(caption)), prompt = InLanguage(WideToUtf8(prompt)),
                      value = QString::fromStdString(value),
                      request = std::move(request)] { ShowPasswordBox(caption, prompt, value, request); });
  return TZipPasswordReply::Later;
}

void TZipPrompterQt::ShowPasswordBox(const QString& caption, const QString& prompt, const QString& value,
                                     const TZipPasswordRequest& request) {
  if (!request.Wanted()) {
    passwordAsked_ = false;
    return;
  }
  auto* box = new QInputDialog(ParentWindow());
  passwordBox_ = box;
  box->setWindowTitle(caption);
  box->setLabelText(prompt);
  box->setInputMode(QInputDialog::TextInput);
  // A password is not for whoever looks over the user's shoulder.
  box->setTextEchoMode(QLineEdit::Password);
  box->setTextValue(value);
  box->setOkButtonText(InLanguage(RowOf(Button::Ok)->caption));
  box->setCancelButtonText(InLanguage(RowOf(Button::Cancel)->caption));
  // Modal as a question is, shown without an event loop of its own: nothing waits on it.
  box->setWindowModality(Qt::ApplicationModal);
  // A box that goes with its window, unanswered, lets the next question be asked.
  const QMetaObject::Connection gone =
      QObject::connect(box, &QObject::destroyed, context_.get(), [this] { passwordAsked_ = false; });
  QObject::connect(box, &QDialog::finished, context_.get(), [this, box, request, gone](int result) {
    QObject::disconnect(gone);
    box->deleteLater();
    passwordAsked_ = false;
    // Zip tools on this platform take a password's UTF-8 bytes.
    const AnsiString password = box->textValue().toStdString();
    if (request.Wanted()) {
      request.answered(result == QDialog::Accepted, password);
    }
  });
  // The archive tells no one when it closes (a folder change, a new catalogue): a box whose archive is
  // gone is closed as cancelled rather than left asking for an answer nobody takes.
  auto* watch = new QTimer(box);
  QObject::connect(watch, &QTimer::timeout, box, [box, request] {
    if (!request.Wanted()) box->reject();
  });
  watch->start(250);
  box->show();
}

}  // namespace kestrune::zip

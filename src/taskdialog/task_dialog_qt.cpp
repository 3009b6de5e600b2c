#include "taskdialog/task_dialog_qt.h"

#include <QCheckBox>
#include <QPushButton>
#include <QVariant>
#include <QtDebug>

#include "taskdialog/task_message_window.h"

namespace kt = kestrune::taskdialog;

namespace {

const char* const kModalResultProperty = "ModalResult";
const char* const kCancelProperty = "Cancel";

std::vector<std::u16string> Utf16Lines(const QStringList& lines) {
  std::vector<std::u16string> out;
  for (const QString& line : lines) out.push_back(line.toStdU16String());
  return out;
}

}  // namespace

TTaskDialogEx::TTaskDialogEx(QObject* Owner) : QObject(Owner) {}

TTaskDialogEx::~TTaskDialogEx() { delete messageForm_.data(); }

void TTaskDialogEx::SetSystemDialogApi(std::unique_ptr<kt::SystemTaskDialogApi> api) {
  if (systemDialog_ && systemDialog_->IsOpen()) return;
  systemDialog_.reset();
  systemApi_ = std::move(api);
  if (systemApi_) systemDialog_ = std::make_unique<kt::SystemTaskDialog>(*systemApi_);
}

TTaskMessageForm* TTaskDialogEx::MessageForm() const { return messageForm_.data(); }

kt::WindowHandle TTaskDialogEx::DialogHandle() const {
  return systemDialog_ && systemDialog_->IsOpen() ? systemDialog_->DialogHandle() : 0;
}

int TTaskDialogEx::ShowTaskDialog() {
  if (messageForm_ || (systemDialog_ && systemDialog_->IsOpen())) {
    qWarning("Task dialog: ShowTaskDialog called while the dialog is already open");
    return -1;
  }
  // VerifyResult and RadioResult keep the last dialog's values until this one closes.
  if (systemDialog_ && systemDialog_->Usable()) return ShowSystem();
  return ShowEmulation();
}

int TTaskDialogEx::ShowEmulation() {
  QWidget* ownerWindow = OwnerWidget() ? OwnerWidget()->window() : nullptr;
  auto* form = new TTaskMessageForm(*this, applicationIsParent_ ? nullptr : ownerWindow);
  messageForm_ = form;
  if (OnDialogCreated) OnDialogCreated(this);
  if (!messageForm_) return -1;
  form->Place(dialogPosition_ == kt::dpOwnerFormCenter ? ownerWindow : nullptr);
  const int result = form->exec();
  // The owner's window may have taken the dialog with it while it was open.
  if (!messageForm_) return -1;
  // The results are read from the boxes as they are now, so an earlier run's tick does not linger.
  verifyResult_ = form->Verification() && form->Verification()->isChecked();
  radioResult_ = form->CheckedRadioId();
  messageForm_ = nullptr;
  delete form;
  return result;
}

int TTaskDialogEx::ShowSystem() {
  kt::SystemDialogOutcome outcome;
  const int result = systemDialog_->Show(SystemSettings(), SystemHandlers(), outcome);
  if (result != -1) {
    verifyResult_ = outcome.verified;
    radioResult_ = outcome.radio;
  }
  return result;
}

kt::TaskDialogSettings TTaskDialogEx::SystemSettings() const {
  kt::TaskDialogSettings s;
  s.Title = title_.toStdU16String();
  s.Instruction = instruction_.toStdU16String();
  s.Content = content_.toStdU16String();
  s.Footer = footer_.toStdU16String();
  s.ExpandedText = expandedText_.toStdU16String();
  s.ExpandControlText = expandControlText_.toStdU16String();
  s.CollapsControlText = collapsControlText_.toStdU16String();
  s.VerificationText = verificationText_.toStdU16String();
  s.CustomButtons = Utf16Lines(customButtons_);
  s.RadioButtons = Utf16Lines(radioButtons_);
  s.CommonButtons = commonButtons_;
  s.DefaultButton = defaultButton_;
  s.DefaultRadioButton = defaultRadioButton_;
  s.DialogPosition = dialogPosition_;
  s.Icon = icon_;
  s.FooterIcon = footerIcon_;
  s.Options = options_;
  s.ProgressBarMin = progressBarMin_;
  s.ProgressBarMax = progressBarMax_;
  QWidget* owner = OwnerWidget();
  if (!applicationIsParent_ && owner) s.Parent = static_cast<kt::WindowHandle>(owner->window()->winId());
  return s;
}

kt::TaskDialogHandlers TTaskDialogEx::SystemHandlers() {
  kt::TaskDialogHandlers h;
  if (OnDialogCreated) h.created = [this] { OnDialogCreated(this); };
  if (OnDialogClose) h.close = [this](bool& canClose) { OnDialogClose(this, canClose); };
  if (OnDialogButtonClick) h.buttonClick = [this](int id) { OnDialogButtonClick(this, id); };
  if (OnDialogRadioClick) h.radioClick = [this](int id) { OnDialogRadioClick(this, id); };
  if (OnDialogHyperlinkClick) {
    h.hyperlinkClick = [this](const std::u16string& link) {
      OnDialogHyperlinkClick(this, QString::fromStdU16String(link));
    };
  }
  if (OnDialogTimer) h.timer = [this] { OnDialogTimer(this); };
  if (OnDialogVerifyClick) h.verifyClick = [this](bool checked) { OnDialogVerifyClick(this, checked); };
  if (OnDialogProgress) {
    h.progress = [this](int& pos, kt::TTaskDialogProgressState& state) { OnDialogProgress(this, pos, state); };
  }
  return h;
}

QWidget* TTaskDialogEx::OwnerWidget() const { return qobject_cast<QWidget*>(parent()); }

void TTaskDialogEx::SetButtonEnabled(int ButtonID, bool Enabled) {
  if (systemDialog_) systemDialog_->EnableButton(ButtonID, Enabled);
  if (messageForm_) messageForm_->SetButtonEnabled(ButtonID, Enabled);
}

void TTaskDialogEx::SetInstruction(const QString& value) {
  if (value == instruction_) return;
  instruction_ = value;
  TextChanged(kt::TextElement::kInstruction, value);
}

void TTaskDialogEx::SetContent(const QString& value) {
  if (value == content_) return;
  content_ = value;
  TextChanged(kt::TextElement::kContent, value);
}

void TTaskDialogEx::SetExpandedText(const QString& value) {
  if (value == expandedText_) return;
  expandedText_ = value;
  TextChanged(kt::TextElement::kExpandedText, value);
}

void TTaskDialogEx::SetFooter(const QString& value) {
  if (value == footer_) return;
  footer_ = value;
  TextChanged(kt::TextElement::kFooter, value);
}

void TTaskDialogEx::TextChanged(kt::TextElement element, const QString& text) {
  if (systemDialog_) systemDialog_->UpdateElementText(element, text.toStdU16String());
  if (messageForm_) messageForm_->LayOut();
}

void TTaskDialogEx::SetProgressPosition(int pos) {
  if (systemDialog_ && systemDialog_->IsOpen()) systemDialog_->SetProgressPos(pos);
  if (messageForm_) messageForm_->SetProgressPosition(pos);
}

QAbstractButton* TTaskDialogEx::CreateButton(QWidget* parent) { return new QPushButton(parent); }

void TTaskDialogEx::SetButtonCaption(QAbstractButton* button, const QString& caption) {
  if (auto* push = qobject_cast<QPushButton*>(button)) push->setText(caption);
}

void TTaskDialogEx::SetButtonCancel(QAbstractButton* button, bool value) {
  if (auto* push = qobject_cast<QPushButton*>(button)) push->setProperty(kCancelProperty, value);
}

void TTaskDialogEx::SetButtonDefault(QAbstractButton* button, bool value) {
  if (auto* push = qobject_cast<QPushButton*>(button)) push->setDefault(value);
}

void TTaskDialogEx::SetButtonModalResult(QAbstractButton* button, int value) {
  if (auto* push = qobject_cast<QPushButton*>(button)) push->setProperty(kModalResultProperty, value);
}

int TTaskDialogEx::GetButtonModalResult(QAbstractButton* button) const {
  auto* push = qobject_cast<QPushButton*>(button);
  return push ? push->property(kModalResultProperty).toInt() : 0;
}

bool TTaskDialogEx::AskClose() {
  bool canClose = true;
  if (OnDialogClose) OnDialogClose(this, canClose);
  return canClose;
}

void TTaskDialogEx::RaiseButtonClick(int buttonId) {
  if (OnDialogButtonClick) OnDialogButtonClick(this, buttonId);
}

void TTaskDialogEx::RaiseTimer() {
  if (OnDialogTimer) OnDialogTimer(this);
}

bool TTaskDialogEx::RaiseProgress(int& pos) {
  if (!OnDialogProgress) return false;
  kt::TTaskDialogProgressState state = kt::psNormal;  // the window's bar has no error or paused look
  OnDialogProgress(this, pos, state);
  return true;
}

void TTaskDialogEx::RaiseVerifyClick(bool checked) {
  verifyResult_ = checked;
  if (OnDialogVerifyClick) OnDialogVerifyClick(this, checked);
}

void TTaskDialogEx::RaiseRadioClick(int radioId) {
  radioResult_ = radioId;
  if (OnDialogRadioClick) OnDialogRadioClick(this, radioId);
}

void TTaskDialogEx::RaiseHyperlinkClick(const QString& href) {
  if (OnDialogHyperlinkClick) OnDialogHyperlinkClick(this, href);
}

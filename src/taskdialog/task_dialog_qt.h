#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "taskdialog/system_path.h"
#include "taskdialog/task_dialog_types.h"

class QAbstractButton;
class QWidget;
class TTaskMessageForm;

// A task dialog: caption, main instruction, content, progress bar, verification box and common and
// custom buttons, shown modally by ShowTaskDialog. While it is open the program may change the
// instruction and content, enable or disable buttons and move the progress bar.
//
// It is drawn by the system where the system offers a task dialog (SetSystemDialogApi) and by the
// program's own window, TTaskMessageForm, everywhere else; on Linux always by the window. Every
// property is a Qt property under its own name, so a translation can reach the texts.
class TTaskDialogEx : public QObject {
  Q_OBJECT
  Q_PROPERTY(QStringList CustomButtons READ CustomButtons WRITE SetCustomButtons)
  Q_PROPERTY(QIcon CustomIcon READ CustomIcon WRITE SetCustomIcon)
  Q_PROPERTY(QStringList RadioButtons READ RadioButtons WRITE SetRadioButtons)
  Q_PROPERTY(kestrune::taskdialog::TCommonButtons CommonButtons READ CommonButtons WRITE SetCommonButtons)
  Q_PROPERTY(int DefaultButton READ DefaultButton WRITE SetDefaultButton)
  Q_PROPERTY(int DefaultRadioButton READ DefaultRadioButton WRITE SetDefaultRadioButton)
  Q_PROPERTY(kestrune::taskdialog::TTaskDialogPosition DialogPosition READ DialogPosition WRITE SetDialogPosition)
  Q_PROPERTY(QString ExpandedText READ ExpandedText WRITE SetExpandedText)
  Q_PROPERTY(QString Footer READ Footer WRITE SetFooter)
  Q_PROPERTY(kestrune::taskdialog::TTaskDialogFooterIcon FooterIcon READ FooterIcon WRITE SetFooterIcon)
  Q_PROPERTY(kestrune::taskdialog::TTaskDialogIcon Icon READ Icon WRITE SetIcon)
  Q_PROPERTY(QString Title READ Title WRITE SetTitle)
  Q_PROPERTY(QString Instruction READ Instruction WRITE SetInstruction)
  Q_PROPERTY(QString Content READ Content WRITE SetContent)
  Q_PROPERTY(QString ExpandControlText READ ExpandControlText WRITE SetExpandControlText)
  Q_PROPERTY(QString CollapsControlText READ CollapsControlText WRITE SetCollapsControlText)
  Q_PROPERTY(kestrune::taskdialog::TTaskDialogOptions Options READ Options WRITE SetOptions)
  Q_PROPERTY(bool ApplicationIsParent READ ApplicationIsParent WRITE SetApplicationIsParent)
  Q_PROPERTY(QString VerificationText READ VerificationText WRITE SetVerificationText)
  Q_PROPERTY(int ProgressBarMin READ ProgressBarMin WRITE SetProgressBarMin)
  Q_PROPERTY(int ProgressBarMax READ ProgressBarMax WRITE SetProgressBarMax)
  Q_PROPERTY(QString Version READ Version WRITE SetVersion)

 public:
  using TNotifyEvent = std::function<void(QObject* Sender)>;
  using TTaskDialogCloseEvent = std::function<void(QObject* Sender, bool& CanClose)>;
  using TTaskDialogButtonClickEvent = std::function<void(QObject* Sender, int ButtonID)>;
  using TTaskDialogHyperlinkClickEvent = std::function<void(QObject* Sender, const QString& HRef)>;
  using TTaskDialogVerifyClickEvent = std::function<void(QObject* Sender, bool Checked)>;
  using TTaskDialogProgressEvent =
      std::function<void(QObject* Sender, int& Pos, kestrune::taskdialog::TTaskDialogProgressState& State)>;

  // The owner is the window the dialog centres on with dpOwnerFormCenter and belongs to when
  // ApplicationIsParent is false.
  explicit TTaskDialogEx(QObject* Owner = nullptr);
  ~TTaskDialogEx() override;

  // Shows the dialog modally and returns the id of the button that closed it (the common buttons'
  // dialog results, 100 + i for custom button i), or -1 when it could not be shown.
  int ShowTaskDialog();
  // Button ids as TTaskMessageForm::SetButtonEnabled takes them; with no dialog open nothing happens.
  void SetButtonEnabled(int ButtonID, bool Enabled);

  // The events; each is called only when assigned.
  TNotifyEvent OnDialogCreated;  // the window exists and is not shown yet
  TTaskDialogCloseEvent OnDialogClose;
  TTaskDialogButtonClickEvent OnDialogButtonClick;
  TTaskDialogButtonClickEvent OnDialogRadioClick;
  TTaskDialogHyperlinkClickEvent OnDialogHyperlinkClick;
  TNotifyEvent OnDialogTimer;
  TTaskDialogVerifyClickEvent OnDialogVerifyClick;
  TTaskDialogProgressEvent OnDialogProgress;

  // State of the verification box and the chosen radio button when the last dialog closed.
  bool VerifyResult() const { return verifyResult_; }
  int RadioResult() const { return radioResult_; }
  // The open emulation window, or null.
  TTaskMessageForm* MessageForm() const;
  // The system dialog's window while one is open, else 0.
  kestrune::taskdialog::WindowHandle DialogHandle() const;
  // Where the system offers a task dialog, the calls that reach it; null (the default) keeps the
  // program's own window.
  void SetSystemDialogApi(std::unique_ptr<kestrune::taskdialog::SystemTaskDialogApi> api);

  QStringList CustomButtons() const { return customButtons_; }
  void SetCustomButtons(const QStringList& value) { customButtons_ = value; }
  QIcon CustomIcon() const { return customIcon_; }
  void SetCustomIcon(const QIcon& value) { customIcon_ = value; }
  QStringList RadioButtons() const { return radioButtons_; }
  void SetRadioButtons(const QStringList& value) { radioButtons_ = value; }
  kestrune::taskdialog::TCommonButtons CommonButtons() const { return commonButtons_; }
  void SetCommonButtons(kestrune::taskdialog::TCommonButtons value) { commonButtons_ = value; }
  int DefaultButton() const { return defaultButton_; }
  void SetDefaultButton(int value) { defaultButton_ = value; }
  int DefaultRadioButton() const { return defaultRadioButton_; }
  void SetDefaultRadioButton(int value) { defaultRadioButton_ = value; }
  kestrune::taskdialog::TTaskDialogPosition DialogPosition() const { return dialogPosition_; }
  void SetDialogPosition(kestrune::taskdialog::TTaskDialogPosition value) { dialogPosition_ = value; }
  QString ExpandedText() const { return expandedText_; }
  void SetExpandedText(const QString& value);
  QString Footer() const { return footer_; }
  void SetFooter(const QString& value);
  kestrune::taskdialog::TTaskDialogFooterIcon FooterIcon() const { return footerIcon_; }
  void SetFooterIcon(kestrune::taskdialog::TTaskDialogFooterIcon value) { footerIcon_ = value; }
  kestrune::taskdialog::TTaskDialogIcon Icon() const { return icon_; }
  void SetIcon(kestrune::taskdialog::TTaskDialogIcon value) { icon_ = value; }
  QString Title() const { return title_; }
  void SetTitle(const QString& value) { title_ = value; }
  QString Instruction() const { return instruction_; }
  QString Content() const { return content_; }
  QString ExpandControlText() const { return expandControlText_; }
  void SetExpandControlText(const QString& value) { expandControlText_ = value; }
  QString CollapsControlText() const { return collapsControlText_; }
  void SetCollapsControlText(const QString& value) { collapsControlText_ = value; }
  kestrune::taskdialog::TTaskDialogOptions Options() const { return options_; }
  void SetOptions(kestrune::taskdialog::TTaskDialogOptions value) { options_ = value; }
  bool ApplicationIsParent() const { return applicationIsParent_; }
  void SetApplicationIsParent(bool value) { applicationIsParent_ = value; }
  QString VerificationText() const { return verificationText_; }
  void SetVerificationText(const QString& value) { verificationText_ = value; }
  int ProgressBarMin() const { return progressBarMin_; }
  void SetProgressBarMin(int value) { progressBarMin_ = value; }
  int ProgressBarMax() const { return progressBarMax_; }
  void SetProgressBarMax(int value) { progressBarMax_ = value; }
  QString Version() const { return QStringLiteral("1.2.1.0"); }
  void SetVersion(const QString&) {}

  // How the emulation window makes and sets up its push buttons; a descendant may supply another
  // button class. The setters act on QPushButtons only, and GetButtonModalResult is 0 for others.
  virtual QAbstractButton* CreateButton(QWidget* parent);
  virtual void SetButtonCaption(QAbstractButton* button, const QString& caption);
  virtual void SetButtonCancel(QAbstractButton* button, bool value);
  virtual void SetButtonDefault(QAbstractButton* button, bool value);
  virtual void SetButtonModalResult(QAbstractButton* button, int value);
  virtual int GetButtonModalResult(QAbstractButton* button) const;

 public slots:
  // Texts: an equal text changes nothing; a new one is shown at once by an open dialog.
  void SetInstruction(const QString& value);
  void SetContent(const QString& value);
  // Moves an open dialog's progress bar (kept within its range).
  void SetProgressPosition(int pos);

 private:
  friend class TTaskMessageForm;

  int ShowEmulation();
  int ShowSystem();
  void TextChanged(kestrune::taskdialog::TextElement element, const QString& text);
  QWidget* OwnerWidget() const;
  kestrune::taskdialog::TaskDialogSettings SystemSettings() const;
  kestrune::taskdialog::TaskDialogHandlers SystemHandlers();

  // Raised by the emulation window.
  bool AskClose();
  void RaiseButtonClick(int buttonId);
  void RaiseTimer();
  bool RaiseProgress(int& pos);
  void RaiseVerifyClick(bool checked);
  void RaiseRadioClick(int radioId);
  void RaiseHyperlinkClick(const QString& href);

  QStringList customButtons_;
  QIcon customIcon_;
  QStringList radioButtons_;
  kestrune::taskdialog::TCommonButtons commonButtons_;
  int defaultButton_ = 0;
  int defaultRadioButton_ = 0;
  kestrune::taskdialog::TTaskDialogPosition dialogPosition_ = kestrune::taskdialog::dpScreenCenter;
  QString expandedText_;
  QString footer_;
  kestrune::taskdialog::TTaskDialogFooterIcon footerIcon_ = kestrune::taskdialog::tfiBlank;
  kestrune::taskdialog::TTaskDialogIcon icon_ = kestrune::taskdialog::tiBlank;
  QString title_;
  QString instruction_;
  QString content_;
  QString expandControlText_;
  QString collapsControlText_;
  kestrune::taskdialog::TTaskDialogOptions options_;
  bool applicationIsParent_ = true;
  QString verificationText_;
  int progressBarMin_ = 0;
  int progressBarMax_ = 100;

  bool verifyResult_ = false;
  int radioResult_ = 0;
  QPointer<TTaskMessageForm> messageForm_;
  std::unique_ptr<kestrune::taskdialog::SystemTaskDialogApi> systemApi_;
  std::unique_ptr<kestrune::taskdialog::SystemTaskDialog> systemDialog_;
};

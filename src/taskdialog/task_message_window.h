#pragma once

#include <QDialog>
#include <QList>
#include <QRect>

#include "taskdialog/task_dialog_layout.h"
#include "taskdialog/task_dialog_types.h"

class QAbstractButton;
class QCheckBox;
class QLabel;
class QProgressBar;
class QTimer;
class TTaskDialogEx;

// The program's own task dialog window, built from a TTaskDialogEx: icon, instruction and content on
// a white upper band; progress bar; push buttons and verification box on a grey lower band.
//
// Every close (a button, Escape, the window's close box) first asks the dialog's OnDialogClose.
// Escape and the close box stand for the cancel button when there is one; otherwise they close with
// the cancel result, Escape only with doAllowDialogCancel, and neither while button 1 is disabled, so a
// dialog whose OK button waits for a job cannot be left before the job ends.
class TTaskMessageForm : public QDialog {
  Q_OBJECT

 public:
  TTaskMessageForm(TTaskDialogEx& owner, QWidget* parent = nullptr);

  const kestrune::taskdialog::DialogMetrics& Metrics() const { return metrics_; }
  // The push buttons in creation order: the common ones, then the custom ones.
  const QList<QAbstractButton*>& CommonButtons() const { return commonButtons_; }
  const QList<QAbstractButton*>& CustomButtons() const { return customButtons_; }
  QAbstractButton* DefaultButton() const;
  QAbstractButton* CancelButton() const { return cancelButton_; }
  QProgressBar* ProgressBar() const { return progressBar_; }
  QCheckBox* Verification() const { return verification_; }
  // Where the content is drawn (empty without content) and where the grey band starts.
  QRect ContentRect() const { return contentRect_; }
  int BandTop() const { return bandTop_; }
  // What Ctrl+C puts on the clipboard.
  QString ClipboardText() const;

  // Places the instruction, content, bar, buttons and box again and fits the height to them.
  void LayOut();
  // Enables or disables the button that the id names (see ButtonForId); other ids change nothing.
  void SetButtonEnabled(int buttonId, bool enabled);
  void SetProgressPosition(int pos);
  // Centres the window on the owner's window, or on the screen.
  void Place(QWidget* ownerWindow);

  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildWindowFlags();
  void BuildCommonButtons();
  void BuildCustomButtons();
  void BuildImage();
  void BuildInstruction();
  void BuildProgress();
  void BuildVerification();
  int ButtonRowWidth() const;
  int TitleWidth() const;
  int WidestCommonCaption() const;
  int PlaceUpperBand();
  int PlaceLowerBand(int y);

  void ButtonClicked(int result, bool raisesButtonEvent);
  void RequestOutsideClose(bool byEscape);
  void TryClose(int result);
  void Tick();

  TTaskDialogEx& owner_;
  kestrune::taskdialog::TTaskDialogOptions options_;  // as they were when the window was built
  kestrune::taskdialog::DialogMetrics metrics_;
  QList<QAbstractButton*> commonButtons_;
  QList<QAbstractButton*> customButtons_;
  QAbstractButton* cancelButton_ = nullptr;
  QAbstractButton* okButton_ = nullptr;
  QLabel* image_ = nullptr;
  QLabel* instr_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QTimer* timer_ = nullptr;
  QCheckBox* verification_ = nullptr;
  int clientWidth_ = 0;
  int bandTop_ = 0;
  int timerPosition_ = 0;  // the position the progress event sees when there is no bar
  QRect contentRect_;
  QString contentText_;
  bool asking_ = false;
  bool closing_ = false;
};

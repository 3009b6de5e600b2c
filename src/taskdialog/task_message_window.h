#pragma once

#include <QDialog>
#include <QList>
#include <QRect>
#include <QUrl>
#include <functional>
#include <optional>

#include "taskdialog/task_dialog_layout.h"
#include "taskdialog/task_dialog_types.h"

class QAbstractButton;
class QCheckBox;
class QLabel;
class QProgressBar;
class QRadioButton;
class QTimer;
class TTaskDialogButton;
class TTaskDialogEx;
struct TaggedTextOptions;

// The program's own task dialog window, built from a TTaskDialogEx: icon, instruction, content, progress
// bar, radio buttons, expanded text and command links on a white upper band; the expand button, push
// buttons, verification box and footer on a grey lower band (the expanded text goes below the footer
// with doExpandedFooter). Texts with links (the content and expanded text with doHyperlinks, the footer
// always) are tagged texts: a link shows the hand cursor, and a click on it is reported to the dialog's
// OnDialogHyperlinkClick and opens it in the desktop's program when it is an http, https or mailto link.
//
// Every close (a button, Escape, the window's close box) first asks the dialog's OnDialogClose.
// Escape and the close box stand for the cancel button when there is one; otherwise they close with
// the cancel result: with doAllowDialogCancel both do, also while button 1 is disabled; without it
// Escape does nothing and the close box does nothing while button 1 is disabled, so a dialog whose OK
// button waits for a job the user may not cancel cannot be left before the job ends.
class TTaskMessageForm : public QDialog {
  Q_OBJECT

 public:
  TTaskMessageForm(TTaskDialogEx& owner, QWidget* parent = nullptr);

  const kestrune::taskdialog::DialogMetrics& Metrics() const { return metrics_; }
  // The push buttons in creation order: the common ones, then the custom ones.
  const QList<QAbstractButton*>& CommonButtons() const { return commonButtons_; }
  // With doCommandLinks (doCommandLinksNoIcon alone gives push buttons) the custom buttons are TTaskDialogButtons in
  // the upper band.
  const QList<QAbstractButton*>& CustomButtons() const { return customButtons_; }
  bool HasCommandLinks() const { return commandLinks_; }
  const QList<QRadioButton*>& RadioButtons() const { return radioButtons_; }
  // The id of the checked radio button (200 + index), or 0.
  int CheckedRadioId() const;
  QAbstractButton* DefaultButton() const;
  QAbstractButton* CancelButton() const { return cancelButton_; }
  QProgressBar* ProgressBar() const { return progressBar_; }
  QCheckBox* Verification() const { return verification_; }
  TTaskDialogButton* ExpandButton() const { return expandButton_; }
  bool Expanded() const { return expanded_; }
  void SetExpanded(bool expanded);
  QLabel* FooterImage() const { return footerImage_; }
  // Where the content, the expanded text and the footer are drawn (empty when not shown), and where the
  // grey band starts.
  QRect ContentRect() const { return content_.rect; }
  QRect ExpandedRect() const { return expandedText_.rect; }
  QRect FooterRect() const { return footer_.rect; }
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

  // The target of the link under a point of the window, if any.
  std::optional<QString> LinkAt(const QPoint& point) const;
  // Reports the link and opens it when it may be opened.
  void OpenLink(const QString& href);
  // How links are opened; QDesktopServices::openUrl unless replaced. Returns false when it failed.
  std::function<bool(const QUrl&)> UrlOpener;

  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // A text drawn on the window itself: plain, or tagged when it may hold links.
  struct TextArea {
    QRect rect;
    QString text;
    bool tagged = false;
  };

  void BuildWindowFlags();
  void BuildCommonButtons();
  void BuildCustomButtons();
  void BuildImage();
  void BuildInstruction();
  void BuildProgress();
  void BuildVerification();
  void BuildRadioButtons();
  void BuildExpandButton();
  void BuildFooterImage();
  QAbstractButton* BuildCommandLink(int index, const QString& caption);
  void UpdateExpandButton();
  QString ExpandCaption(bool expanded) const;
  QList<QAbstractButton*> PushButtons() const;
  int ButtonRowWidth() const;
  int LowerRowWidth();
  int CommandLinksWidth() const;
  int TitleWidth() const;
  int WidestCommonCaption() const;
  int PlaceUpperBand();
  int PlaceLowerBand(int y);
  int PlaceButtonRow(int y);
  int PlaceFooter(int y);
  int PlaceText(TextArea& area, const QString& text, bool tagged, int x, int y, int width);
  TaggedTextOptions TextOptions() const;
  void PaintText(QPainter& painter, const TextArea& area) const;
  bool ExpandedTextInFooter() const;

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
  QList<QRadioButton*> radioButtons_;
  TTaskDialogButton* expandButton_ = nullptr;
  QLabel* footerImage_ = nullptr;
  bool commandLinks_ = false;
  bool expanded_ = true;
  int clientWidth_ = 0;
  int bandTop_ = 0;
  QList<int> separators_;  // lines across the band above the footer and the expanded text below it
  int timerPosition_ = 0;  // the position the progress event sees when there is no bar
  TextArea content_;
  TextArea expandedText_;
  TextArea footer_;
  std::optional<QString> hotLink_;
  std::optional<QString> pressedLink_;
  std::optional<QPoint> mouse_;
  bool asking_ = false;
  bool closing_ = false;
};

#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <functional>

// The flat button of the task dialog's command links and its expand button: a picture at the left,
// a caption whose first line is a heading in HeadingFont and whose further lines are in the button's
// own font, and a rounded border only while the mouse is over it, it is pressed or it has the focus.
// The text colour is the palette's button text.
class TTaskDialogButton : public QAbstractButton {
  Q_OBJECT
  Q_PROPERTY(QColor BorderColor MEMBER BorderColor)
  Q_PROPERTY(QColor BorderColorHot MEMBER BorderColorHot)
  Q_PROPERTY(QColor BorderColorDown MEMBER BorderColorDown)
  Q_PROPERTY(int ModalResult MEMBER ModalResult)

 public:
  using TNotifyEvent = std::function<void(TTaskDialogButton& Sender)>;

  explicit TTaskDialogButton(QWidget* parent = nullptr);

  QColor BorderColor;  // invalid: none
  QColor BorderColorHot;
  QColor BorderColorDown;
  int ModalResult = 0;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  QFont HeadingFont() const { return headingFont_; }
  void SetHeadingFont(const QFont& font);
  // Down, hot and disabled pictures stand in for Picture in those states when they are not empty.
  void SetPictures(const QPixmap& normal, const QPixmap& hot = {}, const QPixmap& down = {},
                   const QPixmap& disabled = {});
  QPixmap Picture() const { return picture_; }
  bool Hot() const { return hot_; }

  // The width the picture and the caption's widest line need.
  int NeededWidth() const;
  int LineCount() const;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  const QPixmap& CurrentPicture() const;
  int TextLeft() const;

  QFont headingFont_;
  QPixmap picture_;
  QPixmap pictureHot_;
  QPixmap pictureDown_;
  QPixmap pictureDisabled_;
  bool hot_ = false;
};

#pragma once

#include <QDialog>
#include <QImage>

class QLabel;

// The about box's picture; the movie page shows it too while it plays no movie.
QImage AboutPicture();

// The about box: the program's picture with the credits over it. Any click closes it.
class TForm6 : public QDialog {
  Q_OBJECT

 public:
  explicit TForm6(QWidget* parent = nullptr);

  // The credits, rebuilt at each show: the distribution notice, the author, the version, the thanks
  // and the build date.
  static QString AboutText();

 protected:
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* Image1_;
  QLabel* memo1_;
};

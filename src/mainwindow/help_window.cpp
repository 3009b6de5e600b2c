#include "mainwindow/help_window.h"

#include <QFile>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <algorithm>

#include "mainwindow/window_frame.h"
#include "translation/program_strings_qt.h"

namespace tr = kestrune::translation;

namespace {

constexpr QSize kDefaultSize(640, 520);

// The window manager's frame around a window of the program, as far as it is known before this one is
// mapped: that of the window it belongs to (none without a window manager).
QMargins FrameMarginsOf(const QWidget* window) {
  if (window == nullptr || !window->isVisible()) return {};
  return FrameMargins(*window);
}

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("HelpWindow");
  resize(kDefaultSize);
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
  // Open already, it stays where the user has put it.
  if (!isVisible()) PlaceOnScreen();
  show();
  raise();
  activateWindow();
  return true;
}

void HelpWindow::PlaceOnScreen() {
  const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
  const QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect room = screen->availableGeometry();
  const QMargins frame = FrameMarginsOf(owner);
  resize(kDefaultSize.boundedTo(room.size().shrunkBy(frame)).expandedTo(minimumSizeHint()));
  const QSize outer = size().grownBy(frame);
  QRect placed(room.topLeft() + QPoint((room.width() - outer.width()) / 2, (room.height() - outer.height()) / 2),
               outer);
  // A window that cannot fit keeps its top left corner on the screen, where its title bar is.
  placed.moveTopLeft(QPoint(std::max(placed.left(), room.left()), std::max(placed.top(), room.top())));
  // The frame's corner: a window not yet shown is placed by its frame.
  move(placed.topLeft());
}

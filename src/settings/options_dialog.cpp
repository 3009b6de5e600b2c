#include "settings/options_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// A screen or resolution list: "Auto" and nothing chosen until the options are read or reset. The
// user may also type a name or a mode that is not listed.
QComboBox* NewDisplayList(const QString& name) {
  auto* list = new QComboBox;
  list->setObjectName(name);
  list->setEditable(true);
  list->setInsertPolicy(QComboBox::NoInsert);
  list->setMinimumContentsLength(16);
  list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  list->addItem(QStringLiteral("Auto"));
  list->setCurrentIndex(-1);
  return list;
}

}  // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
  setObjectName("Form2");
  setWindowTitle(QStringLiteral("MAME Default Options"));

  auto* pages = new QTabWidget;
  pages->setObjectName("pagecontrol1");
  pages->addTab(NewScreensPage(), QStringLiteral("Screens"));

  auto* cancel = new QPushButton(QStringLiteral("Cancel"));
  cancel->setObjectName("Button2");
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages);
  layout->addLayout(buttons);
}

QWidget* TForm2::NewScreensPage() {
  auto* screens = new QGridLayout;
  for (int i = 0; i < kScreenCount; ++i) {
    // The default screen's controls carry no number; screens 1 to 4 are numbered 0 to 3.
    const QString number = i == 0 ? QString() : QString::number(i - 1);
    screenLists_[i] = NewDisplayList(QStringLiteral("screenshow") + number);
    resolutionLists_[i] = NewDisplayList(QStringLiteral("ressize") + number);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Screen:"), screenLists_[i]);
    form->addRow(QStringLiteral("Resolution:"), resolutionLists_[i]);
    auto* group = new QGroupBox(i == 0 ? QStringLiteral("Default Screen") : QStringLiteral("Screen %1").arg(i));
    group->setLayout(form);
    if (i == 0) {
      screens->addWidget(group, 0, 0, 1, 2);
    } else {
      screens->addWidget(group, 1 + (i - 1) / 2, (i - 1) % 2);
    }
  }
  auto* options = new QGroupBox(QStringLiteral("Screen Options"));
  options->setLayout(screens);

  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(options);
  layout->addStretch();
  return page;
}

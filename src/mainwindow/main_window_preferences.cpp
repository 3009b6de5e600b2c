// The main window's side of the preferences' OK: it takes what the preferences dialog holds.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeView>
#include <optional>
#include <tuple>

#include "catalogue/counter_reset.h"
#include "mainwindow/artwork_panes.h"
#include "mainwindow/artwork_picture.h"
#include "mainwindow/game_list_controller.h"
#include "mainwindow/game_list_view.h"
#include "mainwindow/main_window.h"
#include "mainwindow/preferences_dialog.h"
#include "mainwindow/program_windows.h"
#include "settings/preference_values.h"
#include "translation/program_strings_qt.h"

namespace set = kestrune::settings;
namespace cat = kestrune::catalogue;

namespace {

bool Checked(const char* box) { return Form4->CheckBox(box)->isChecked(); }

std::optional<QColor> StoredColour(const std::string& number) {
  const std::optional<set::Rgb> rgb = set::ColourFromNumber(number);
  if (!rgb) return std::nullopt;
  return QColor(rgb->red, rgb->green, rgb->blue);
}

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

auto PictureFolders(const TForm1::Folders& f) {
  return std::tie(f.snap, f.flyer, f.marquee, f.cabinet, f.control, f.title, f.mng, f.icon, f.ini, f.inp);
}

}  // namespace

void TForm1::ApplyPreferences() {
  if (Form4 == nullptr) return;
  SetBigToolbar(!Checked("bigtoolbar"));
  QAbstractItemView* lists[] = {gameList_->View()->ReportView(), gameList_->View()->IconView()};
  SetSmoothScrolling(Checked("smoothscrolling"));
  const int kernel = Form4->ComboBox("stretchfilter")->currentIndex();
  if (kernel >= 0 && kernel < ArtworkPicture::kKernelCount) {
    for (ArtworkPicture* picture : pictures_) picture->SetKernel(static_cast<ArtworkPicture::Kernel>(kernel));
  }

  // Colours: the close stores the text colours, the list's background was stored when it was chosen.
  masterColour_ = Form4->ColourNumber("mastercolor");
  cloneColour_ = Form4->ColourNumber("clonecolor");
  settings_->WriteText(set::kUiSection, "listfontcolor", masterColour_);
  settings_->WriteText(set::kUiSection, "clonecolor", cloneColour_);
  if (const std::optional<QColor> text = StoredColour(masterColour_)) {
    for (QWidget* pane : {static_cast<QWidget*>(historyscherm_), static_cast<QWidget*>(historyscherm2_)}) {
      SetColour(pane, QPalette::Text, *text);
    }
    for (QAbstractItemView* list : lists) SetColour(list, QPalette::Text, *text);
  }
  if (const std::optional<QColor> background = StoredColour(Form4->ColourNumber("listcolor"))) {
    for (QAbstractItemView* list : lists) SetColour(list, QPalette::Base, *background);
  }

  skinned_ = Checked("Toolbarskinned");
  cat::ListFlags& flags = gameList_->List().Flags();
  flags.ShowClones = Checked("showclones");
  flags.ShowNoDump = Checked("nodump");
  flags.PlayableOnly = Checked("onlygood");
  gameList_->SetRealTimeSearch(Checked("realtimesearch"));
  gameList_->SetControllerNavigation(Checked("xarcadegui") || Checked("hotrodgui") || Checked("slikstikgui"));
  timer1_->setInterval(set::CycleIntervalMs(Form4->Edit("cycletimer")->text().toStdString()));

  SetHintsShown(Checked("showhints"));
  Form4->SetHintsShown(Checked("showhints"));
  const bool resetCounts = Checked("resetcounter");
  const bool resetTimes = Checked("resetcounter2");
  if (resetCounts) cat::ResetPlayCounts(catalogue_);
  if (resetTimes) cat::ResetPlayTimes(catalogue_);
  if (resetCounts || resetTimes) {
    Form4->CheckBox("resetcounter")->setChecked(false);
    Form4->CheckBox("resetcounter2")->setChecked(false);
    std::string error;
    if (catalogueLoaded_ && !cat::SaveCatalogue(catalogue_, frontDir_, &error)) {
      Report(ProgramQText(kestrune::translation::kSGameListNotSaved).arg(ProgramQTextOf(error)));
    }
  }

  if (!tabsHidden_) ApplyPictureScale();
  timer1_->stop();
  if (Checked("cycle")) timer1_->start();
  panes_->RestartCycles();

  const Folders before = folders_;
  ApplyFolderSettings();
  if (PictureFolders(before) != PictureFolders(folders_)) {
    panes_->CloseSources();
    panes_->OpenSources(folders_);
    gameList_->SetFolders(folders_.icon, folders_.ini, folders_.inp);
  }
  if (settings_->ReadText(set::kUiSection, "mamefile") != mameFile_) CheckMameFile();

  if (Form4->ListOptionsTouched()) gameList_->ClearIconIndexes();
  // The new list keeps the game the user had selected, when it still lists it.
  const QString selected = gameList_->GetSelectedRom();
  if (!gameList_->SearchBox()->text().isEmpty()) {
    gameList_->QuickSearch();
  } else {
    gameList_->BuildGameList();
  }
  if (!selected.isEmpty() && gameList_->List().GameCount() > 0) gameList_->SelectGameByRom(selected);
  emit gameList_->selectedGameChanged();
}

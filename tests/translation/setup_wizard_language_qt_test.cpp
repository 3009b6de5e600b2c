#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <filesystem>
#include <functional>
#include <string>

#include "mainwindow/bad_roms_dialog.h"
#include "mainwindow/setup_wizard_dialog.h"
#include "mainwindow/main_window.h"
#include "mainwindow/main_window_menus.h"
#include "mainwindow/program_windows.h"
#include "shipped_languages.h"
#include "support/file_util.h"
#include "support/zip_writer.h"

namespace {

namespace fs = std::filesystem;
namespace test = kestrune::test;

// A first run in a program folder with the shipped language files; the wizard's modal show is the
// test's, and the user picks Dutch in the main window's language menu while the wizard is up.
class DutchWizard : public test::ShippedLanguagesTest {
 protected:
  void Start(const std::function<void()>& walk) {
    CreateWindows();
    Form5->SetModalRunner([this, walk](QDialog& dialog) {
      if (&dialog == Form9) {
        Form9->show();
        badRomsText_ = Form9->findChild<QPlainTextEdit*>("badromlist")->toPlainText();
        Form9->hide();
        return;
      }
      Form1->Menus()->LanguageActions()[1]->trigger();
      walk();
    });
    ShowAndWait();
  }
  static QPushButton* Button(const char* name) { return Form5->findChild<QPushButton*>(name); }
  static QString Text(const char* label) { return Form5->findChild<QLabel*>(label)->text(); }

  QString badRomsText_;
};

TEST_F(DutchWizard, RefusesChoosesAndGreetsInDutch) {
  WriteProgram("mame0251");
  fs::create_directories(folder_ + "other");
  WriteProgram("other/mame0251");
  std::vector<QString> answers = {QString::fromStdString(folder_ + "other/mame0251"),
                                  QString::fromStdString(folder_ + "mame0251")};
  QString chosen;
  Start([&] {
    Form5->SetFileChooser([&answers](const QString&) {
      const QString answer = answers.front();
      answers.erase(answers.begin());
      return answer;
    });
    Button("Button1")->click();
    Button("Button1")->click();
    chosen = Text("memo1");
    Button("exitbutton")->click();
  });
  EXPECT_EQ(MessageTexts(), std::vector<QString>{"Het MAME-programma moet in dezelfde map staan als Kestrune !"});
  EXPECT_EQ(chosen,
            "\nU hebt MAME0251 gekozen als geldig MAME-programma.\nDe volgende stap zoekt naar geldige roms.\n\n"
            "Optionele bestanden:\n\nHistory.dat : Niet gevonden\nMameinfo.dat : Niet gevonden\n"
            "Catver.ini : Niet gevonden\nNplayers.ini : Niet gevonden\n");

  // Opened again in Dutch, its captions are Dutch too.
  Form1->Menus()->LanguageActions()[1]->trigger();
  QString welcome;
  Form5->SetModalRunner([&welcome](QDialog&) { welcome = Text("memo1"); });
  Form5->Start(Form1);
  EXPECT_EQ(Form5->windowTitle(), "Installatie - Kestrune ");
  EXPECT_EQ(Text("heading"), "Welkom bij Kestrune.");
  EXPECT_TRUE(welcome.startsWith("Een geldig MAME-programma MAME0251 is gevonden.\n")) << welcome.toStdString();
  EXPECT_EQ(Button("Button1")->text(), "Kiezen");
  EXPECT_EQ(Button("Button2")->text(), "Volgende");
  EXPECT_EQ(Button("exitbutton")->text(), "Annuleren");
  EXPECT_EQ(Form5->findChild<QCheckBox*>("showbadroms")->text(), "Slechte roms tonen na het initialiseren");
}

// The scan's own texts come in Dutch as well; the archive scan still starts the progress bar.
TEST_F(DutchWizard, ScansWithDutchStatusAndListsBadRomsInDutch) {
  Write("list.xml", test::ReadFileBytes(test::TestDataDir() / "romscan/listxml/catalogue.xml"));
  WriteScript("mame", "if [ \"$1\" = -listxml ]; then cat '" + folder_ + "list.xml'; fi\n");
  Write("roms/neogeo.zip", test::StoredZip({{"sp-s2.sp1", "x", 0x9036D879}}));
  Write("roms/mslug.zip", test::StoredZip({{"201-p1.p1", "x", 0x08D8DAA5}}));
  Write("roms/galaga.zip", test::StoredZip({{"gg1_1b.3p", "x", 0x12345678}}));  // a bad dump
  QString starting;
  QString status;
  Start([&] {
    Button("Button2")->click();
    starting = Text("memo1");
    Form5->findChild<QCheckBox*>("showbadroms")->setChecked(true);
    ASSERT_TRUE(WaitUntil([] { return !Form5->Scanning(); }, 60000));
    status = Text("vordering2");
  });
  EXPECT_EQ(starting, "Kestrune gaat nu de roms initialiseren.");
  EXPECT_EQ(status, "Klaar!");
  EXPECT_FALSE(Form5->findChild<QProgressBar*>("balk3")->isHidden());
  EXPECT_EQ(badRomsText_, "mslugb.zip\ngalaga.zip\n\nSlechte roms gevonden : 2");
}

// MAME's own failure is told in Dutch inside the wizard's Dutch failure text.
TEST_F(DutchWizard, AFailedScanSaysWhyInDutch) {
  WriteScript("mame", "exit 3\n");
  QString memo;
  Start([&] {
    Button("Button2")->click();
    ASSERT_TRUE(WaitUntil([] { return !Form5->Scanning(); }, 60000));
    memo = Text("memo1");
    Button("exitbutton")->click();
  });
  EXPECT_TRUE(memo.startsWith("Roms initialiseren mislukt:\nMAME stopte met foutcode 3.\n\nVolgende probeert"))
      << memo.toStdString();
  EXPECT_EQ(Text("vordering2"), "Mislukt.");
}

}  // namespace

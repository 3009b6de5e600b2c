#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeView>
#include <algorithm>
#include <filesystem>

#include "mainwindow/game_list_controller.h"
#include "mainwindow/game_list_model.h"
#include "mainwindow/main_window.h"
#include "mainwindow/main_window_menus.h"
#include "mainwindow/preferences_dialog.h"
#include "mainwindow/program_windows.h"
#include "shipped_languages.h"
#include "support/file_util.h"
#include "support/program_folder_fixture.h"
#include "support/temp_dir.h"
#include "translation/lang_object_qt.h"
#include "translation/lang_translator_qt.h"
#include "translation/program_strings.h"

namespace {

namespace tr = kestrune::translation;
using kestrune::test::WriteFileBytes;

using kestrune::test::ShippedLangDir;

QString TabText(QWidget* page) {
  auto* tabs = page->parentWidget()->parentWidget();
  return static_cast<QTabWidget*>(tabs)->tabText(static_cast<QTabWidget*>(tabs)->indexOf(page));
}

TEST(WindowTranslation, PreferencesSectionSetsTitleButtonTabItemsFontAndHint) {
  kestrune::test::TempDir dir;
  WriteFileBytes(dir / "dutch.lng",
                 "[TForm4]\r\nCaption='Voorkeuren'\r\nButton4.Caption='Standaard'\r\nTabSheet3.Caption='Mappen'\r\n"
                 "scaletimes.Items.Strings='Geen', '2x', '3x', '4x'\r\nFont.Size=13\r\nshowhints.Hint='Kort|Lang'\r\n"
                 "Label21.Alignment=taRightJustify\r\nButton4.Left=abc\r\nTabSheet9.Caption='Geen tab'\r\n");
  TForm4 dialog;
  QComboBox* scale = dialog.ComboBox("scaletimes");
  scale->setCurrentIndex(2);
  int changes = 0;
  QObject::connect(scale, &QComboBox::currentIndexChanged, [&changes] { ++changes; });
  // Managers share the core: one going away (a main window closed) leaves it to the others.
  auto earlier = std::make_unique<LangManagerQt>();
  LangManagerQt manager;
  earlier.reset();
  manager.Manager().SetLangsDir(dir.path().string());
  AttachLangTranslator(&dialog, &manager.Manager());
  manager.Manager().SetCurrentLang("dutch");

  EXPECT_EQ(dialog.windowTitle(), "Voorkeuren");
  EXPECT_EQ(dialog.Control<QPushButton>("Button4")->text(), "Standaard");
  EXPECT_EQ(TabText(dialog.Control("TabSheet3")), "Mappen");
  EXPECT_EQ(scale->count(), 4);
  EXPECT_EQ(scale->itemText(0), "Geen");
  EXPECT_EQ(scale->currentIndex(), 2);  // the chosen scale stays chosen, unannounced
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(dialog.font().pointSize(), 13);
  EXPECT_EQ(dialog.CheckBox("showhints")->toolTip(), "Kort");
  EXPECT_EQ(dialog.CheckBox("showhints")->statusTip(), "Lang");
  EXPECT_EQ(dialog.Control<QLabel>("Label21")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  EXPECT_EQ(dialog.Control("Button4")->x(), 0);  // "abc" reads as 0
}

template <typename T>
T* Named(T* object, const char* name) {
  object->setObjectName(name);
  return object;
}

// A window of its own: a list with columns, a status bar with panels, a menu, a dialog it owns, and
// after the dialog an unnamed panel holding a button named like the dialog's.
class ListWindow : public QWidget {
 public:
  ListWindow() {
    (new QTreeView(Named(new QWidget(this), "gameview")))->setModel(&model_);
    model_.setHorizontalHeaderLabels({"Game Name", "Year"});
    auto* bar = Named(new QStatusBar(this), "Statusbalk");
    for (const char* text : {"Listed : 0", "INI : N/A"}) bar->addPermanentWidget(new QLabel(text, bar));
    Named(new QMenu("File", this), "File1")->addAction("Exit")->setObjectName("Exit2");
    Named(new QPushButton("OK", new QDialog(this)), "Button2");
    Named(new QPushButton("Here", new QWidget(this)), "Button2");
  }
  QStandardItemModel model_;
};

TEST(WindowTranslation, ColumnsPanelsMenusAndOnlyTheWindowsOwnControls) {
  ListWindow window;
  const std::unique_ptr<tr::LangObject> root = tr::WindowLangObject(&window);
  EXPECT_EQ(root->ClassName(), "QWidget");
  const std::pair<const char*, const char*> keys[] = {{"gameview.Columns.Items(1).Caption", "'Jaar'"},
                                                      {"Statusbalk.Panels.Items(1).Text", "'INI : n.v.t.'"},
                                                      {"file1.caption", "'Bestand'"},
                                                      {"Exit2.Caption", "'Afsluiten'"},
                                                      {"Button2.Caption", "'Hier'"},
                                                      {"Exit2.Visible", "False"},
                                                      {"File1.Enabled", "False"}};
  for (const auto& [key, value] : keys) {
    EXPECT_EQ(tr::ApplyPropertyPath(*root, key, value).status, tr::PathOutcome::kApplied) << key;
  }
  EXPECT_EQ(window.model_.headerData(1, Qt::Horizontal).toString(), "Jaar");
  EXPECT_EQ(window.findChild<QStatusBar*>()->findChildren<QLabel*>()[1]->text(), "INI : n.v.t.");
  EXPECT_EQ(window.findChild<QMenu*>("File1")->title(), "Bestand");
  EXPECT_EQ(window.findChild<QAction*>("Exit2")->text(), "Afsluiten");
  EXPECT_FALSE(window.findChild<QAction*>("Exit2")->isVisible());
  EXPECT_FALSE(window.findChild<QMenu*>("File1")->menuAction()->isEnabled());
  EXPECT_EQ(window.findChild<QDialog*>()->findChild<QPushButton*>()->text(), "OK");
  EXPECT_EQ(window.findChildren<QPushButton*>().back()->text(), "Hier");
  const std::pair<const char*, const char*> ignored[] = {{"gameview.Columns.Items(2).Caption", "'x'"},
                                                         {"Statusbalk.Panels.Items(2).Text", "'x'"},
                                                         {"Statusbalk.Columns.Items(0).Caption", "'x'"},
                                                         {"Exit2.Width", "10"},
                                                         {"File1.Width", "10"}};
  for (const auto& [key, value] : ignored) {
    EXPECT_EQ(tr::ApplyPropertyPath(*root, key, value).status, tr::PathOutcome::kIgnored) << key;
  }
}

// A control that gives one of its parts as Qt's widgets do, through a read-only property.
class TitledBox : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QLabel* title READ Title)

 public:
  using QWidget::QWidget;
  QLabel* Title() const { return title_; }

 private:
  QLabel* title_ = new QLabel("Name", this);
};

TEST(WindowTranslation, ObjectsBehindReadOnlyPropertiesAreTranslated) {
  QWidget window;
  auto* box = Named(new TitledBox(&window), "Box1");
  EXPECT_EQ(tr::ApplyPropertyPath(*tr::WindowLangObject(&window), "Box1.Title.Caption", "'Naam'").status,
            tr::PathOutcome::kApplied);
  EXPECT_EQ(box->Title()->text(), "Naam");
}

// Every kind of property a language file can set, reached through Qt's own properties where the program
// has no name of its own for them; the Windows program's AutoSize and ParentFont are accepted without a
// report, Font.Style is ignored, and only a value naming no element is reported.
TEST(WindowTranslation, EveryPropertyKindThroughQtsOwnProperties) {
  kestrune::test::TempDir dir;
  WriteFileBytes(dir / "dutch.lng",
                 "[QWidget]\r\nEdit1.EchoMode=Password\r\nEdit1.MaxLength=12\r\nEdit1.readonly=True\r\n"
                 "Edit1.PlaceholderText='Zoek'\r\nEdit1.objectName='Renamed'\r\nSpin1.SingleStep=0.25\r\n"
                 "Label1.Color=255\r\nLabel1.Font.Color=16711680\r\nLabel1.Font.Style=[fsBold]\r\n"
                 "Label1.AutoSize=True\r\nLabel1.ParentFont=False\r\nLabel1.Constraints.MaxWidth=300\r\n"
                 "Label1.Constraints.MinHeight=20\r\nLabel1.Color=-16777201\r\nSpin1.Alignment=taRightJustify\r\n"
                 "Edit1.EchoMode=Sideways\r\nSpin1.ButtonSymbols=NoButtons\r\nLabel1.TextFormat=Sideways\r\n");
  QWidget window;
  auto* edit = Named(new QLineEdit(&window), "Edit1");
  auto* spin = Named(new QDoubleSpinBox(&window), "Spin1");
  auto* label = Named(new QLabel("Naam", &window), "Label1");
  LangManagerQt manager;
  std::vector<std::string> reported;
  tr::GetLangCore()->SetReporter([&reported](const std::string& message) { reported.push_back(message); });
  tr::GetLangCore()->SetFileErrorReporter(nullptr);  // no message box
  manager.Manager().SetLangsDir(dir.path().string());
  AttachLangTranslator(&window, &manager.Manager());

  EXPECT_EQ(edit->echoMode(), QLineEdit::Password);  // the first EchoMode line counts
  EXPECT_EQ(edit->maxLength(), 12);
  EXPECT_TRUE(edit->isReadOnly());
  EXPECT_EQ(edit->placeholderText(), "Zoek");
  EXPECT_EQ(edit->objectName(), "Edit1");
  EXPECT_DOUBLE_EQ(spin->singleStep(), 0.25);
  EXPECT_EQ(label->palette().color(QPalette::Window), QColor(255, 0, 0));  // a system colour changes nothing
  EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_FALSE(label->font().bold());
  EXPECT_EQ(label->maximumWidth(), 300);
  EXPECT_EQ(label->minimumHeight(), 20);
  EXPECT_EQ(spin->buttonSymbols(), QAbstractSpinBox::NoButtons);
  // The repeated EchoMode line is not read; a value that names no element is reported.
  EXPECT_EQ(reported, std::vector<std::string>{(dir / "dutch.lng").string() +
                                               ": [QWidget] Label1.TextFormat: Invalid property element: Sideways"});
  tr::GetLangCore()->SetReporter(nullptr);
}

// The program's windows in a program folder of their own with the shipped language files.// The program's windows in a
// program folder of their own with the shipped language files.
class ProgramTranslation : public kestrune::test::ShippedLanguagesTest {
 protected:
  // The folder's first language is taken when the main window is made, the saved one (english) at
  // its first show: what english.lng says is what the program says by itself (see TranslatedWindows).
  void Start() {
    CreateWindows();
    ShowAndWait();
    english_ = Texts();
  }
  // Every text a language file sets on the program's windows (but the status panels, which the
  // program rewrites), sorted: showing a window adds Qt's own widgets.
  static std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    const auto add = [&texts](const QObject* object, const QString& text) {
      if (!object->objectName().isEmpty())
        texts.push_back(object->objectName().toStdString() + "=" + text.toStdString());
    };
    for (const QObject* object : Form1->findChildren<QObject*>()) {
      if (const auto* action = qobject_cast<const QAction*>(object))
        add(action, action->text() + "|" + action->toolTip());
      if (const auto* button = qobject_cast<const QAbstractButton*>(object)) add(button, button->text());
      if (const auto* menu = qobject_cast<const QMenu*>(object)) add(menu, menu->title());
      if (const auto* box = qobject_cast<const QComboBox*>(object); box != nullptr && box->window() == Form4) {
        for (int i = 0; i < box->count(); ++i) add(box, box->itemText(i));
      }
      if (const auto* tabs = qobject_cast<const QTabWidget*>(object)) {
        for (int i = 0; i < tabs->count(); ++i) add(tabs, tabs->tabText(i));
      }
      if (const auto* widget = qobject_cast<const QWidget*>(object); widget != nullptr && widget->isWindow()) {
        add(widget, widget->windowTitle());
      }
    }
    for (int column = 0; column < Form1->gameList()->Model()->columnCount(); ++column) {
      texts.push_back("column=" +
                      Form1->gameList()->Model()->headerData(column, Qt::Horizontal).toString().toStdString());
    }
    std::sort(texts.begin(), texts.end());
    return texts;
  }

  std::vector<std::string> english_;
};

TEST_F(ProgramTranslation, DutchThenEnglishRestoresTheEnglishTexts) {
  Start();
  tr::TLangManager& manager = Form1->LanguageManager()->Manager();
  EXPECT_EQ(manager.CurrentLang(), "english");
  EXPECT_TRUE(Form1->Menus()->LanguageActions()[1]->isEnabled());

  Form1->Menus()->LanguageActions()[1]->trigger();
  EXPECT_EQ(Form1->LanguageIndex(), 1);
  EXPECT_EQ(Form1->Menus()->Menu("File1")->title(), "Bestand");
  EXPECT_EQ(Form1->gameList()->Model()->headerData(0, Qt::Horizontal).toString(), "Spelnaam");
  EXPECT_EQ(Form1->gameList()->Model()->headerData(8, Qt::Horizontal).toString(), "Oriëntatie");
  EXPECT_EQ(Form1->Menus()->Action("PlayGame2")->toolTip(), "Spel spelen");
  EXPECT_EQ(Form1->PageControl()->tabText(0), "Schermafbeelding");
  EXPECT_EQ(Form4->windowTitle(), "Voorkeuren");
  EXPECT_EQ(Form4->ComboBox("stretchfilter")->itemText(4), "Volledig vervagen");
  EXPECT_EQ(tr::ProgramText(tr::kSIniMissing), "INI : n.v.t.");
  EXPECT_NE(Texts(), english_);

  Form1->Menus()->LanguageActions()[0]->trigger();
  EXPECT_EQ(Texts(), english_);
  EXPECT_EQ(tr::ProgramText(tr::kSIniMissing), "INI : N/A");
}

TEST_F(ProgramTranslation, SavedLanguageIsAppliedAtStart) {
  kestrune::settings::Settings settings(folder_);
  settings.WriteDefaults(folder_, "", "");
  settings.WriteText(kestrune::settings::kUiSection, "language", "1");
  std::string error;
  ASSERT_TRUE(settings.Save(&error)) << error;
  Start();
  EXPECT_EQ(Form1->LanguageManager()->Manager().CurrentLang(), "dutch");
  EXPECT_TRUE(Form1->Menus()->LanguageActions()[1]->isChecked());
  EXPECT_EQ(Form4->Control<QPushButton>("Button4")->text(), "Standaard");
}

// Every key of the shipped files reaches something on the program's windows or names a program string.
TEST(ShippedLanguageFiles, EveryKeyApplies) {
  const QList<QWidget*> windows = CreateProgramWindows();
  const auto isProgramString = [](const std::string& key) {
    return std::any_of(std::begin(tr::kProgramStrings), std::end(tr::kProgramStrings),
                       [&key](const auto& entry) { return key.starts_with(std::to_string(entry.identifier) + "_"); });
  };
  for (const char* name : {"english.lng", "dutch.lng"}) {
    const tr::TLangIniFile file(ShippedLangDir() / name);
    ASSERT_EQ(file.LoadError(), "");
    for (const std::string& section : file.SectionNames()) {
      const auto window = std::find_if(windows.begin(), windows.end(),
                                       [&section](QWidget* w) { return section == w->metaObject()->className(); });
      for (const auto& [key, value] : file.ReadSectionValues(section)) {
        const bool applied =
            window != windows.end()
                ? tr::ApplyPropertyPath(*tr::WindowLangObject(*window), key, value).status == tr::PathOutcome::kApplied
                : section == tr::kResourceStringsSection && isProgramString(key);
        EXPECT_TRUE(applied) << name << " [" << section << "] " << key;
      }
    }
  }
  DestroyProgramWindows();
}

}  // namespace

#include "lang_windows_qt_test.moc"

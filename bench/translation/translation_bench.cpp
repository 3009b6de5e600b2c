// The time a language switch takes to translate one window whose section is mostly keys for controls
// the window does not have: each key is looked up among the window's objects.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "translation/lang_translator_qt.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPages = 14;
constexpr int kControlsPerPage = 50;
constexpr int kActions = 600;
constexpr int kUnknownKeys = 420000;
constexpr int kRounds = 5;

// A main window with tab pages of labelled buttons and a menu's worth of actions: 1,400 named objects.
void Populate(QMainWindow& window) {
  auto* tabs = new QTabWidget(&window);
  tabs->setObjectName("PageControl1");
  window.setCentralWidget(tabs);
  for (int p = 0; p < kPages; ++p) {
    auto* page = new QWidget;
    page->setObjectName(QString("TabSheet%1").arg(p));
    auto* layout = new QVBoxLayout(page);
    for (int c = 0; c < kControlsPerPage; ++c) {
      auto* button = new QPushButton(QString("Button %1.%2").arg(p).arg(c), page);
      button->setObjectName(QString("Button%1_%2").arg(p).arg(c));
      layout->addWidget(button);
    }
    tabs->addTab(page, page->objectName());
  }
  for (int a = 0; a < kActions; ++a) {
    auto* action = new QAction(QString("Action %1").arg(a), &window);
    action->setObjectName(QString("MenuItem%1").arg(a));
  }
}

// The section's keys: a few that translate, then hundreds of thousands that name nothing on the window.
void WriteLanguage(const fs::path& file, const char* section) {
  std::ofstream out(file, std::ios::binary);
  out << "[" << section << "]\r\nCaption='Hoofdvenster'\r\nButton3_7.Caption='Knop'\r\nMenuItem12.Caption='Item'\r\n";
  for (int k = 0; k < kUnknownKeys; ++k) out << "Unused" << k << ".Caption='Not on window'\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const fs::path folder = fs::temp_directory_path() / ("kestrune-translation-bench-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  QMainWindow window;
  Populate(window);
  const int objects = static_cast<int>(window.findChildren<QObject*>().size());
  WriteLanguage(folder / "dutch.lng", window.metaObject()->className());
  WriteLanguage(folder / "english.lng", window.metaObject()->className());

  LangManagerQt manager;
  manager.Manager().SetLangsDir(folder.string());
  LangTranslatorQt* translator = AttachLangTranslator(&window, &manager.Manager());
  manager.Manager().SetCurrentLang("dutch");
  std::vector<double> times;
  for (int r = 0; r < kRounds; ++r) {
    QElapsedTimer timer;
    timer.start();
    translator->Translator().Translate();
    times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  std::vector<double> switches;
  for (int r = 0; r < kRounds; ++r) {
    QElapsedTimer timer;
    timer.start();
    manager.Manager().SetCurrentLang(r % 2 == 0 ? "english" : "dutch");
    switches.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  const bool translated = window.findChild<QPushButton*>("Button3_7")->text() == "Knop";
  std::printf("translation-window-objects: %d objects\n", objects);
  std::printf("translation-file: %.1f MB\n", static_cast<double>(fs::file_size(folder / "dutch.lng")) / 1e6);
  std::printf("translation-window: %.1f ms\n", *std::min_element(times.begin(), times.end()));
  std::printf("translation-language-switch: %.1f ms\n", *std::min_element(switches.begin(), switches.end()));
  std::error_code ec;
  fs::remove_all(folder, ec);
  return translated ? 0 : 1;
}

#include "translation/lang_translator_qt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "translation/lang_object_qt.h"
#include "translation/program_strings_qt.h"

namespace tr = kestrune::translation;

namespace {

// Someone editing a language file learns of each fault in it, with the place where it stands.
void ShowLangFileError(const tr::LangFileError& error) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return;  // no screen to show it on
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Kestrune"), QString::fromStdString(error.message),
                  QMessageBox::Ok, QApplication::activeWindow());
  box.setInformativeText(QString::fromStdString(error.place));
  box.button(QMessageBox::Ok)->setText(ProgramQText(tr::kSMsgDlgOK));
  box.exec();
}

// The core the managers share; null when the program made a core of its own.
std::shared_ptr<tr::TLangCore> SharedCore() {
  static std::weak_ptr<tr::TLangCore> shared;
  if (std::shared_ptr<tr::TLangCore> core = shared.lock()) return core;
  if (tr::GetLangCore() != nullptr) return nullptr;
  auto core = std::make_shared<tr::TLangCore>();
  core->SetFileErrorReporter(ShowLangFileError);
  shared = core;
  return core;
}

}  // namespace

LangManagerQt::LangManagerQt(QObject* parent) : QObject(parent), core_(SharedCore()) {
  setObjectName("taalmanager");
  manager_ = std::make_unique<tr::TLangManager>();
}

LangManagerQt::~LangManagerQt() {
  manager_.reset();
  core_.reset();
}

LangTranslatorQt::LangTranslatorQt(QWidget* window)
    : QObject(window), translator_([window = QPointer<QWidget>(window)]() -> std::unique_ptr<tr::LangObject> {
        return window ? tr::WindowLangObject(window) : nullptr;
      }) {
  setObjectName("LangTranslator1");
}

LangTranslatorQt* LangTranslatorOf(const QWidget* window) {
  return window->findChild<LangTranslatorQt*>(QString(), Qt::FindDirectChildrenOnly);
}

LangTranslatorQt* AttachLangTranslator(QWidget* window, tr::TLangManager* manager) {
  LangTranslatorQt* translator = LangTranslatorOf(window);
  if (translator == nullptr) translator = new LangTranslatorQt(window);
  translator->Translator().SetManager(manager);
  translator->Translator().Loaded();
  return translator;
}

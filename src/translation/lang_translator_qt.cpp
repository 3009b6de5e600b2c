#include "translation/lang_translator_qt.h"

#include <QPointer>
#include <QWidget>

#include "translation/lang_object_qt.h"

namespace tr = kestrune::translation;

LangManagerQt::LangManagerQt(QObject* parent) : QObject(parent) {
  setObjectName("taalmanager");
  if (tr::GetLangCore() == nullptr) ownCore_ = std::make_unique<tr::TLangCore>();
  manager_ = std::make_unique<tr::TLangManager>();
}

LangManagerQt::~LangManagerQt() {
  manager_.reset();
  ownCore_.reset();
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

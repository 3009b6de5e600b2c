#pragma once

#include <QObject>
#include <memory>

#include "translation/lang_core.h"
#include "translation/lang_manager.h"

class QWidget;

// The Qt side of translation: the main window's manager `taalmanager`, and the translator each
// translatable window carries.

// A manager living on a window. The translation core lives while any such manager does (it is
// created with the first one unless the program made one itself). A core created so shows the faults of
// a language file in message boxes (see TLangCore::SetFileErrorReporter).
class LangManagerQt : public QObject {
  Q_OBJECT

 public:
  explicit LangManagerQt(QObject* parent = nullptr);
  ~LangManagerQt() override;

  kestrune::translation::TLangManager& Manager() { return *manager_; }

 private:
  std::shared_ptr<kestrune::translation::TLangCore> core_;
  std::unique_ptr<kestrune::translation::TLangManager> manager_;
};

// A window's translator: translates the window by its class name's section whenever its manager's
// language changes.
class LangTranslatorQt : public QObject {
  Q_OBJECT

 public:
  explicit LangTranslatorQt(QWidget* window);

  kestrune::translation::TLangTranslator& Translator() { return translator_; }

 private:
  kestrune::translation::TLangTranslator translator_;
};

// Gives the window a translator with that manager (or reuses the one it has) and translates the
// window at once in the current language.
LangTranslatorQt* AttachLangTranslator(QWidget* window, kestrune::translation::TLangManager* manager);
// The window's translator, or null.
LangTranslatorQt* LangTranslatorOf(const QWidget* window);

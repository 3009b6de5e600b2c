#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "translation/lang_object.h"

// The program's handles on the translation core: a manager through which the program sets the
// language folder and the current language, and a translator per translatable window, which
// translates its window when it is attached and whenever the language changes.
namespace kestrune::translation {

class TLangTranslator;

class TLangManager {
 public:
  // Handlers may set cancel to keep the folder or the language as it is.
  using ChangingEvent =
      std::function<void(TLangManager& sender, const std::string& oldValue, const std::string& newValue, bool& cancel)>;
  using NotifyEvent = std::function<void(TLangManager& sender)>;

  // Registers with the core, when there is one.
  TLangManager();
  // Detaches every translator (last first), then unregisters from the core.
  ~TLangManager();
  TLangManager(const TLangManager&) = delete;
  TLangManager& operator=(const TLangManager&) = delete;

  // The core's folder and language. Reading without a core raises LangError(kNoCoreToRead), writing
  // LangError(kNoCoreToWrite); a write first asks the Changing handler.
  std::string LangsDir() const;
  void SetLangsDir(const std::string& folder);
  std::string CurrentLang() const;
  void SetCurrentLang(const std::string& name);
  std::vector<std::string> Languages() const;
  bool HasLanguage(const std::string& name) const;
  // Whether resource strings are translated. Reading without a core raises LangError(kNoCoreToRead);
  // writing without one does nothing.
  bool TranslateResourceStrings() const;
  void SetTranslateResourceStrings(bool on);

  // Before, every registered translator in registration order, after.
  void TranslateAll();

  ChangingEvent LangsDirChanging;
  ChangingEvent CurrentLangChanging;
  NotifyEvent BeforeAllTranslate;
  NotifyEvent AfterAllTranslate;

 private:
  friend class TLangTranslator;
  void Register(TLangTranslator* translator);
  void Unregister(TLangTranslator* translator);

  std::vector<TLangTranslator*> translators_;
};

class TLangTranslator {
 public:
  // Gives the object tree of the window the translator translates; empty or null: nothing to translate.
  using OwnerTree = std::function<std::unique_ptr<LangObject>()>;
  using NotifyEvent = std::function<void(TLangTranslator& sender)>;

  explicit TLangTranslator(OwnerTree owner = {});
  // Unregisters from its manager.
  ~TLangTranslator();
  TLangTranslator(const TLangTranslator&) = delete;
  TLangTranslator& operator=(const TLangTranslator&) = delete;

  TLangManager* Manager() const { return manager_; }
  // Leaves the old manager and registers with the new one (null: none).
  void SetManager(TLangManager* manager);
  // The window is complete: translates it now when there is a manager.
  void Loaded();
  // Before, the owner's translation by the core (when there is an owner, a manager and a core), after.
  void Translate();

  NotifyEvent BeforeTranslate;
  NotifyEvent AfterTranslate;

 private:
  OwnerTree owner_;
  TLangManager* manager_ = nullptr;
};

}  // namespace kestrune::translation

#include "translation/lang_manager.h"

#include <algorithm>

#include "translation/lang_core.h"

namespace kestrune::translation {

namespace {

TLangCore& CoreToRead() {
  TLangCore* core = GetLangCore();
  if (core == nullptr) throw LangError(std::string(kNoCoreToRead));
  return *core;
}

TLangCore& CoreToWrite() {
  TLangCore* core = GetLangCore();
  if (core == nullptr) throw LangError(std::string(kNoCoreToWrite));
  return *core;
}

}  // namespace

TLangManager::TLangManager() {
  if (TLangCore* core = GetLangCore()) core->RegisterManager(this);
}

TLangManager::~TLangManager() {
  while (!translators_.empty()) translators_.back()->SetManager(nullptr);
  if (TLangCore* core = GetLangCore()) core->UnregisterManager(this);
}

std::string TLangManager::LangsDir() const { return CoreToRead().LangsDir(); }

void TLangManager::SetLangsDir(const std::string& folder) {
  TLangCore& core = CoreToWrite();
  bool cancel = false;
  if (LangsDirChanging) LangsDirChanging(*this, core.LangsDir(), folder, cancel);
  if (!cancel) core.SetLangsDir(folder);
}

std::string TLangManager::CurrentLang() const { return CoreToRead().CurrentLang(); }

void TLangManager::SetCurrentLang(const std::string& name) {
  TLangCore& core = CoreToWrite();
  bool cancel = false;
  if (CurrentLangChanging) CurrentLangChanging(*this, core.CurrentLang(), name, cancel);
  if (!cancel) core.SetCurrentLang(name);
}

std::vector<std::string> TLangManager::Languages() const { return CoreToRead().Languages(); }

bool TLangManager::HasLanguage(const std::string& name) const { return CoreToRead().HasLanguage(name); }

bool TLangManager::TranslateResourceStrings() const { return CoreToRead().ResourceHook().Active(); }

void TLangManager::SetTranslateResourceStrings(bool on) {
  if (TLangCore* core = GetLangCore()) core->ResourceHook().SetHookActive(on);
}

void TLangManager::TranslateAll() {
  if (BeforeAllTranslate) BeforeAllTranslate(*this);
  // A translator may leave while the others translate.
  const std::vector<TLangTranslator*> translators = translators_;
  for (TLangTranslator* translator : translators) {
    if (std::find(translators_.begin(), translators_.end(), translator) != translators_.end()) translator->Translate();
  }
  if (AfterAllTranslate) AfterAllTranslate(*this);
}

void TLangManager::Register(TLangTranslator* translator) {
  if (std::find(translators_.begin(), translators_.end(), translator) == translators_.end()) {
    translators_.push_back(translator);
  }
}

void TLangManager::Unregister(TLangTranslator* translator) { std::erase(translators_, translator); }

TLangTranslator::TLangTranslator(OwnerTree owner) : owner_(std::move(owner)) {}

TLangTranslator::~TLangTranslator() { SetManager(nullptr); }

void TLangTranslator::SetManager(TLangManager* manager) {
  if (manager_ != nullptr) manager_->Unregister(this);
  manager_ = manager;
  if (manager_ != nullptr) manager_->Register(this);
}

void TLangTranslator::Loaded() {
  if (manager_ != nullptr) Translate();
}

void TLangTranslator::Translate() {
  if (BeforeTranslate) BeforeTranslate(*this);
  TLangCore* core = GetLangCore();
  if (owner_ && manager_ != nullptr && core != nullptr) {
    if (std::unique_ptr<LangObject> tree = owner_()) core->TranslateObject(*tree);
  }
  if (AfterTranslate) AfterTranslate(*this);
}

}  // namespace kestrune::translation

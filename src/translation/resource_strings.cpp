#include "translation/resource_strings.h"

#include "translation/lang_core.h"

namespace kestrune::translation {

const std::string* ResourceStringTable::Find(std::uint32_t identifier) const {
  const auto found = texts_.find(identifier);
  return found == texts_.end() ? nullptr : &found->second;
}

ResourceStringTable& ProgramStringTable() {
  static ResourceStringTable table;
  return table;
}

std::atomic<ResStringLoader>& ResStringLoaderSlot() {
  static std::atomic<ResStringLoader> slot{&LoadResStringFromTable};
  return slot;
}

std::string LoadResString(const ResStringRec* record) { return ResStringLoaderSlot().load()(record); }

std::string LoadResStringFromTable(const ResStringRec* record) {
  if (record == nullptr) return {};
  if (record->text != nullptr) return record->text;
  const std::string* text = record->module != nullptr ? record->module->Find(record->identifier) : nullptr;
  return text != nullptr ? *text : std::string();
}

std::string HookedLoadResString(const ResStringRec* record) {
  if (record == nullptr) return {};
  if (record->text != nullptr) return record->text;
  if (std::optional<std::string> translated = TranslateResString(record->identifier)) return *translated;
  return LoadResStringFromTable(record);
}

std::optional<std::string> TranslateResString(std::uint32_t identifier) {
  TLangCore* core = GetLangCore();
  return core != nullptr ? core->TranslateResString(identifier) : std::nullopt;
}

THook::THook(std::atomic<ResStringLoader>& target, ResStringLoader replacement)
    : target_(target), replacement_(replacement), saved_(target.load()) {}

THook::~THook() { SetHookActive(false); }

void THook::SetHookActive(bool active) {
  if (active == active_) return;
  if (active) {
    InstallHook();
  } else {
    RemoveHook();
  }
  active_ = active;
}

void THook::InstallHook() {
  saved_ = target_.load();
  target_.store(replacement_);
}

void THook::RemoveHook() { target_.store(saved_); }

}  // namespace kestrune::translation

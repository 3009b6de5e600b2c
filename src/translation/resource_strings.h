#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

// Resource strings: the texts a program builds at run time rather than keeps in a control (status
// texts, messages), each with a number. A language file translates them in its section
// "ResourceStrings". Every such text is loaded through LoadResString, which calls the loader currently
// installed; THook swaps the translating loader in and out, so no code is patched.
namespace kestrune::translation {

// A module's string table: its resource strings by number.
class ResourceStringTable {
 public:
  void Add(std::uint32_t identifier, std::string text) { texts_[identifier] = std::move(text); }
  const std::string* Find(std::uint32_t identifier) const;

 private:
  std::map<std::uint32_t, std::string> texts_;
};

// The program's own string table.
ResourceStringTable& ProgramStringTable();

// A resource string: the table it lives in and its number. A record that carries its text directly
// (text set) stands for that text and is never translated.
struct ResStringRec {
  const ResourceStringTable* module = nullptr;
  std::uint32_t identifier = 0;
  const char* text = nullptr;
};

using ResStringLoader = std::string (*)(const ResStringRec* record);

// The loader every resource string goes through; LoadResStringFromTable unless a hook is active.
std::atomic<ResStringLoader>& ResStringLoaderSlot();
// A resource string's text, through the loader in the slot. A null record gives "".
std::string LoadResString(const ResStringRec* record);
// The untranslated text: the record's own text, else its table's entry, else "".
std::string LoadResStringFromTable(const ResStringRec* record);
// The translating loader: a record's own text as it is, else the current language file's translation
// (see TranslateResString), else the table's text.
std::string HookedLoadResString(const ResStringRec* record);
// The translation of resource string number identifier in the current language file's section
// "ResourceStrings", whose keys are the number, optionally followed by "_" and a name. Nothing when
// no language file is open or no key has that number. A key whose value is not a valid literal
// translates to "".
std::optional<std::string> TranslateResString(std::uint32_t identifier);

// Puts a replacement loader in a slot while active; the slot's own loader comes back when it is
// deactivated or destroyed.
class THook {
 public:
  THook(std::atomic<ResStringLoader>& target, ResStringLoader replacement);
  ~THook();
  THook(const THook&) = delete;
  THook& operator=(const THook&) = delete;

  bool Active() const { return active_; }
  // Installs (true) or removes (false) the replacement; does nothing when already so.
  void SetHookActive(bool active);

 private:
  void InstallHook();
  void RemoveHook();

  std::atomic<ResStringLoader>& target_;
  ResStringLoader replacement_;
  ResStringLoader saved_;
  bool active_ = false;
};

}  // namespace kestrune::translation

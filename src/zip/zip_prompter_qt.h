#pragma once

#include <QString>
#include <functional>
#include <string_view>

#include "zip/zip_archiver.h"

namespace kestrune::zip {

// The archiver's questions as modal dialogs on the calling thread: a question box with the buttons the
// archiver offers, and an input box for a password. Asked on any thread but the application's, it
// answers as the default prompter does (as if closed), since no window can be shown there.
class TZipPrompterQt : public TZipPrompter {
 public:
  // inLanguage: the user's language for the archiver's English texts and the buttons' captions;
  // without it they are shown as they are.
  using Translation = std::function<QString(std::string_view english)>;
  explicit TZipPrompterQt(Translation inLanguage = {});

  TZipPromptResult Ask(const WideString& text, const std::vector<TZipPromptResult>& buttons) override;
  bool InputQuery(const WideString& caption, const WideString& prompt, AnsiString& value) override;

 private:
  QString InLanguage(std::string_view english) const;
  static bool OnApplicationThread();

  Translation inLanguage_;
};

}  // namespace kestrune::zip

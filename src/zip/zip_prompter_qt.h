#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <string_view>

#include "zip/zip_archiver.h"

class QInputDialog;
class QObject;

namespace kestrune::zip {

// The archiver's questions as dialogs on the application's thread: a modal question box with the
// buttons the archiver offers, and an input box for a password. Asked on any other thread, it answers
// as the default prompter does (as if closed), since no window can be shown there.
//
// The password box is never shown inside the read that needs it (a read may run inside a paint, and
// the box's event loop could free what the read uses): it is asked for later, opened from the event
// loop once the read has returned, and its answer goes to the archive that asked, if that is still
// open. One password box at a time: while one waits or is open, other archives are not asked.
class TZipPrompterQt : public TZipPrompter {
 public:
  // inLanguage: the user's language for the archiver's English texts and the buttons' captions;
  // without it they are shown as they are.
  using Translation = std::function<QString(std::string_view english)>;
  explicit TZipPrompterQt(Translation inLanguage = {});
  ~TZipPrompterQt() override;
  TZipPrompterQt(const TZipPrompterQt&) = delete;
  TZipPrompterQt& operator=(const TZipPrompterQt&) = delete;

  TZipPromptResult Ask(const WideString& text, const std::vector<TZipPromptResult>& buttons) override;
  TZipPasswordReply AskPassword(const WideString& caption, const WideString& prompt, AnsiString& value,
                                TZipPasswordRequest request) override;

 private:
  QString InLanguage(std::string_view english) const;
  static bool OnApplicationThread();
  void ShowPasswordBox(const QString& caption, const QString& prompt, const QString& value,
                       const TZipPasswordRequest& request);

  Translation inLanguage_;
  // Owns the queued opening of the password box and its connections: they end with the prompter.
  std::unique_ptr<QObject> context_;
  bool passwordAsked_ = false;  // a password box waits to be opened or is open
  QPointer<QInputDialog> passwordBox_;
};

}  // namespace kestrune::zip

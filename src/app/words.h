// Every text the uninstaller's dialogs show: the question, the warning
// before a system DLL is deleted (with its reader, for the runner that
// answers it) and each outcome's message. What a lower layer raises (the
// system's error text, the search's report of each place, the loader's
// failure) comes inside these as the failure's own message.
#ifndef VANTREL_APP_WORDS_H_
#define VANTREL_APP_WORDS_H_

#include <string>

namespace vantrel {
namespace uninstall {

// The caption of the question and the warning, and the prefix of the
// outcome's caption.
extern const char kCaption[];

// The question that starts every run.
std::string confirmationQuestion();

// The warning before `dllPath` is deleted from a Windows system folder.
std::string systemFolderWarning(const std::string& dllPath);

// The DLL's path that a systemFolderWarning names; "" for any other text.
std::string warnedPath(const std::string& warning);

// The outcomes' messages, one each; `why` is the failure's own message.
std::string uninstalled(const std::string& applicationFileName);
std::string cancelled();
// `unsavedConfigPath` is "" when tracing was switched off.
std::string rebootAndRunAgain(const std::string& unsavedConfigPath);
std::string configMalformed(const std::string& why);
std::string configNotDeleted(const std::string& why);
std::string fileNotFound(const std::string& why);
std::string commandLineUnreadable(const std::string& why);
std::string failed(const std::string& why);
std::string failedUnknown();

}  // namespace uninstall
}  // namespace vantrel

#endif  // VANTREL_APP_WORDS_H_

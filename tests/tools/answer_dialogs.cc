// answer_dialogs.exe PROGRAM: starts PROGRAM as a person would from its own
// folder, answers Yes to each question and OK to each message, and prints
// every dialog it saw.
#include <cstdio>
#include <string>

#include "tools/dialog_driver.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: answer_dialogs PROGRAM\n");
        return 2;
    }
    const std::string program = argv[1];
    ChildProcess child(program, "\"" + program + "\"", program.substr(0, program.rfind('\\') + 1));
    const std::vector<SeenDialog> dialogs = answerDialogs(child, [](const SeenDialog& seen) {
        return seen.buttons.find("Yes") != std::string::npos ? IDYES : IDOK;
    });
    if (dialogs.empty()) {
        std::fprintf(stderr, "answer_dialogs: %s ended without showing a dialog\n", program.c_str());
        return 1;
    }
    for (const SeenDialog& dialog : dialogs) {
        std::printf("--- dialog \"%s\", %s icon, buttons: %s\n%s\n--- answered: %s\n\n",
                    dialog.caption.c_str(), dialog.icon.c_str(), dialog.buttons.c_str(),
                    dialog.text.c_str(), dialog.answer == IDYES ? "Yes" : "OK");
    }
    return 0;
}

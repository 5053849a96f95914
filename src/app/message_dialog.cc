#include "app/message_dialog.h"

#include <windows.h>

MessageDialog::MessageDialog(const std::string& captionPrefix) : captionPrefix(captionPrefix) {}

void MessageDialog::showError(const std::string& message) {
    show(message, " Error", MB_OK | MB_ICONERROR);
}

void MessageDialog::showSuccess(const std::string& message) {
    show(message, " Success", MB_OK | MB_ICONINFORMATION);
}

void MessageDialog::showInformation(const std::string& message) {
    show(message, " Information", MB_OK | MB_ICONINFORMATION);
}

void MessageDialog::show(const std::string& message, const char* captionSuffix, unsigned style) {
    const std::string caption = captionPrefix + captionSuffix;
    MessageBoxA(nullptr, message.c_str(), caption.c_str(), style);
}

// Modal message boxes under a common caption prefix.
#ifndef VANTREL_APP_MESSAGE_DIALOG_H_
#define VANTREL_APP_MESSAGE_DIALOG_H_

#include <string>

class MessageDialog {
public:
    explicit MessageDialog(const std::string& captionPrefix);

    // An OK box with the error icon, captioned prefix + " Error".
    virtual void showError(const std::string& message);

    // An OK box with the information icon, captioned prefix + " Success".
    virtual void showSuccess(const std::string& message);

    // An OK box with the information icon, captioned prefix + " Information".
    virtual void showInformation(const std::string& message);

private:
    void show(const std::string& message, const char* captionSuffix, unsigned style);

    std::string captionPrefix;
};

#endif  // VANTREL_APP_MESSAGE_DIALOG_H_

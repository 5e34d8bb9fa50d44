#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace orvital {

// Every modal box and file dialog the program shows goes through here, so tests answer them
// from a script instead of blocking.
class Dialogs {
public:
    struct FileRequest {
        QString folder;   // initial folder
        QString filter;   // "Description|pattern", as the program's filters are written
        QString fileName; // proposed file name
    };

    virtual ~Dialogs() = default;
    // The standard error box of the common error guard.
    virtual void showError(const QString& message) = 0;
    // A warning box with one OK button.
    virtual void showWarning(const QString& message) = 0;
    // A plain information box.
    virtual void showMessage(const QString& message) = 0;
    // Full path chosen, or nothing when the operator cancelled.
    virtual std::optional<QString> openFile(const FileRequest& request) = 0;
    virtual std::optional<QString> saveFile(const FileRequest& request) = 0;
};

} // namespace orvital

#pragma once

#include "widgets/dialogs.h"

#include <QPointer>
#include <QWidget>

namespace orvital {

// The dialogs an operator sees: Qt message boxes under the application's title and the
// platform's file dialogs.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QString title, QWidget* parent = nullptr);

    // The boxes are modal to this window (the main window, once it exists).
    void setParentWidget(QWidget* parent) { parent_ = parent; }

    void showError(const QString& message) override;
    void showWarning(const QString& message) override;
    void showMessage(const QString& message) override;
    std::optional<QString> openFile(const FileRequest& request) override;
    std::optional<QString> saveFile(const FileRequest& request) override;

    // "Description|pattern[|Description|pattern...]" as the program writes its filters, into
    // Qt's "Description (pattern);;..." with the patterns of one entry separated by spaces.
    static QString qtFilter(const QString& filter);

private:
    QString title_;
    QPointer<QWidget> parent_;
};

} // namespace orvital

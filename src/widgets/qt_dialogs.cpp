#include "widgets/qt_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace orvital {

namespace {

QString startPath(const Dialogs::FileRequest& request) {
    if (request.fileName.isEmpty())
        return request.folder;
    return QDir(request.folder).filePath(request.fileName);
}

std::optional<QString> chosen(const QString& path) {
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

} // namespace

QtDialogs::QtDialogs(QString title, QWidget* parent) : title_(std::move(title)), parent_(parent) {}

void QtDialogs::showError(const QString& message) {
    QMessageBox::critical(parent_, title_, message);
}

void QtDialogs::showWarning(const QString& message) {
    QMessageBox::warning(parent_, title_, message);
}

void QtDialogs::showMessage(const QString& message) {
    QMessageBox::information(parent_, title_, message);
}

std::optional<QString> QtDialogs::openFile(const FileRequest& request) {
    return chosen(QFileDialog::getOpenFileName(parent_, QString(), startPath(request),
                                               qtFilter(request.filter)));
}

std::optional<QString> QtDialogs::saveFile(const FileRequest& request) {
    // The program's save dialogs replace an existing file without asking.
    return chosen(QFileDialog::getSaveFileName(parent_, QString(), startPath(request),
                                               qtFilter(request.filter), nullptr,
                                               QFileDialog::DontConfirmOverwrite));
}

QString QtDialogs::qtFilter(const QString& filter) {
    if (filter.isEmpty())
        return {};
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        if (patterns.isEmpty())
            patterns = QStringLiteral("*");
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        entries << QStringLiteral("%1 (%2)").arg(description.isEmpty() ? patterns : description,
                                                 patterns);
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace orvital

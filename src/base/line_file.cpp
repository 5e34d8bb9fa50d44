#include "base/line_file.h"

#include "base/atomic_file.h"
#include "base/cp1251.h"
#include "base/error.h"

#include <QDir>
#include <QFile>

namespace orvital {

QList<QByteArray> splitLines(const QByteArray& bytes) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const char c = bytes.at(i);
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.append(bytes.mid(start, i - start));
        ++i;
        if (c == '\r' && i < bytes.size() && bytes.at(i) == '\n')
            ++i;
        start = i;
    }
    if (start < bytes.size())
        lines.append(bytes.mid(start));
    return lines;
}

QStringList loadLines(const QString& path) {
    const QString message =
        QStringLiteral("Cannot open file %1").arg(QDir::toNativeSeparators(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(message);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(message);

    QStringList lines;
    for (const QByteArray& line : splitLines(bytes))
        lines.append(cp1251::decode(line));
    return lines;
}

void saveLines(const QString& path, const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes.append(cp1251::encode(line));
        bytes.append("\r\n");
    }
    writeFileAtomically(
        path, bytes, QStringLiteral("Cannot create file %1").arg(QDir::toNativeSeparators(path)));
}

} // namespace orvital

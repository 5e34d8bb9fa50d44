#pragma once

#include "base/error.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QtTest>

namespace orvital::test {

// Real files in temporary folders, byte for byte.
inline void putFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

inline QStringList entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

// The message of the FileError an action raises.
template <typename F> QString fileErrorOf(F f) {
    try {
        f();
    } catch (const FileError& e) {
        return e.message();
    }
    return QStringLiteral("<no FileError>");
}

} // namespace orvital::test

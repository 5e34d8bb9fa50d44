#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace orvital {

// Splits text into lines without their ends. A line ends at CR LF, at a lone CR or at a lone LF;
// a final line end adds no empty line, but empty lines before it are lines of their own.
QList<QByteArray> splitLines(const QByteArray& bytes);

// Reads a cp1251 text file as its lines (split as splitLines does). Throws
// FileError("Cannot open file <path>") when the file cannot be opened or read.
QStringList loadLines(const QString& path);

// Replaces the file by the lines in cp1251, each one ended by CR LF, the last one included. The
// file is written atomically; throws FileError("Cannot create file <path>") when it cannot be.
void saveLines(const QString& path, const QStringList& lines);

} // namespace orvital

#pragma once

#include <QByteArray>
#include <QString>

namespace orvital {

// Replaces the file at path by bytes, or leaves it untouched: the bytes go to a temporary file in
// the same folder, which is renamed over the target only once it is complete, so a crash or a
// full disk never leaves a torn file. An existing target that is read-only or not a regular file,
// and a folder that is read-only, are refused. Every failure throws FileError(errorMessage).
void writeFileAtomically(const QString& path, const QByteArray& bytes, const QString& errorMessage);

} // namespace orvital

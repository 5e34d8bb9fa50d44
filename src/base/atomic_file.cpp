#include "base/atomic_file.h"

#include "base/error.h"

#include <QFileInfo>
#include <QSaveFile>

namespace orvital {

namespace {

constexpr QFile::Permissions kAnyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;

// A file nobody may write is read-only even for root, who could write it anyway: that is how the
// read-only attribute works on Windows, and it keeps a file the operator protected from being
// replaced. The rename would otherwise replace such a file without asking.
bool isReadOnlyFile(const QFileInfo& file) {
    return !file.isWritable() || (file.permissions() & kAnyWrite) == 0;
}

bool isReadOnlyFolder(const QFileInfo& folder) {
#ifdef Q_OS_WIN
    // Windows ignores the read-only attribute of a folder (Explorer sets it on every customised
    // folder); a folder that really refuses new files makes the temporary file fail instead.
    Q_UNUSED(folder);
    return false;
#else
    return !folder.isWritable() || (folder.permissions() & kAnyWrite) == 0;
#endif
}

} // namespace

void writeFileAtomically(const QString& path, const QByteArray& bytes,
                         const QString& errorMessage) {
    const QFileInfo target(path);
    // The temporary file goes beside the file the path finally names, which for a symbolic link
    // is the link's target.
    QString folderPath = target.absolutePath();
    if (target.exists()) {
        if (!target.isFile() || isReadOnlyFile(target))
            throw FileError(errorMessage);
        folderPath = QFileInfo(target.canonicalFilePath()).absolutePath();
    }
    const QFileInfo folder(folderPath);
    if (!folder.isDir() || isReadOnlyFolder(folder))
        throw FileError(errorMessage);

    QSaveFile file(path);
    // Writing in place when no temporary file can be made would give up the whole point.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError(errorMessage);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        throw FileError(errorMessage);
    }
    if (!file.commit())
        throw FileError(errorMessage);
}

} // namespace orvital

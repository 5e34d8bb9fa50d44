#include "base/atomic_file.h"
#include "base/error.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace orvital;
using namespace orvital::test;

namespace {

const QString kMessage = QStringLiteral("could not save");

} // namespace

// How a test makes a write impossible. Tests run as root, whom permission bits do not stop, so
// besides read-only files and folders (refused for having no write bit at all) there are cases
// that fail for every user.
enum class Obstacle { ReadOnlyFile, ReadOnlyFolder, ParentIsFile, TargetIsFolder, NoFolder };
Q_DECLARE_METATYPE(Obstacle)

class TestAtomicFile : public QObject {
    Q_OBJECT

private slots:
    void createsAndReplaces() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("data.txt");

        writeFileAtomically(path, "first\r\n", kMessage);
        QCOMPARE(fileBytes(path), QByteArray("first\r\n"));

        writeFileAtomically(path, "second", kMessage);
        QCOMPARE(fileBytes(path), QByteArray("second"));

        writeFileAtomically(path, QByteArray(), kMessage);
        QCOMPARE(fileBytes(path), QByteArray());
        QCOMPARE(entries(dir.path()), QStringList{"data.txt"});
    }

    void keepsPermissionsOfReplacedFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("data.txt");
        putFile(path, "old");
        const QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(path, mode));
        writeFileAtomically(path, "new", kMessage);
        QCOMPARE(QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                 mode);
    }

    void refused_data() {
        QTest::addColumn<Obstacle>("obstacle");
        QTest::newRow("read-only file") << Obstacle::ReadOnlyFile;
        QTest::newRow("read-only folder") << Obstacle::ReadOnlyFolder;
        QTest::newRow("parent is a regular file") << Obstacle::ParentIsFile;
        QTest::newRow("target is a folder") << Obstacle::TargetIsFolder;
        QTest::newRow("folder does not exist") << Obstacle::NoFolder;
    }

    // Each refusal throws the caller's message and leaves every file as it was, with no
    // temporary file behind.
    void refused() {
        QFETCH(Obstacle, obstacle);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath("folder");
        QVERIFY(QDir().mkpath(folder));
        QString path = folder + "/data.txt";
        putFile(path, "old");

        switch (obstacle) {
        case Obstacle::ReadOnlyFile:
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
            break;
        case Obstacle::ReadOnlyFolder:
            path = folder + "/new.txt";
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
            break;
        case Obstacle::ParentIsFile:
            path = folder + "/data.txt/inner.txt";
            break;
        case Obstacle::TargetIsFolder:
            path = folder + "/sub";
            QVERIFY(QDir().mkpath(path));
            break;
        case Obstacle::NoFolder:
            path = folder + "/missing/data.txt";
            break;
        }

        bool thrown = false;
        try {
            writeFileAtomically(path, "new", kMessage);
        } catch (const FileError& e) {
            thrown = true;
            QCOMPARE(e.message(), kMessage);
        }
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(thrown);
        QCOMPARE(fileBytes(folder + "/data.txt"), QByteArray("old"));
        const QStringList expected = obstacle == Obstacle::TargetIsFolder
                                         ? QStringList{"data.txt", "sub"}
                                         : QStringList{"data.txt"};
        QCOMPARE(entries(folder), expected);
        if (obstacle == Obstacle::TargetIsFolder)
            QCOMPARE(entries(path), QStringList());
    }

    // A write that runs out of space half-way: the file size limit makes the kernel refuse the
    // bytes past it, as a full disk does, and that works as root too.
    void fullDiskKeepsOldFile() {
#ifdef Q_OS_LINUX
        QTemporaryDir dir;
        const QString path = dir.filePath("data.txt");
        putFile(path, "old contents");

        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 4096;
        const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        bool thrown = false;
        try {
            writeFileAtomically(path, QByteArray(64 * 1024, 'x'), kMessage);
        } catch (const FileError& e) {
            thrown = e.message() == kMessage;
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, savedHandler);

        QVERIFY(thrown);
        QCOMPARE(fileBytes(path), QByteArray("old contents"));
        QCOMPARE(entries(dir.path()), QStringList{"data.txt"});
#else
        QSKIP("needs the file size limit of Linux");
#endif
    }
};

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomic_file.moc"

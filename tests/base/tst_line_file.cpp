#include "base/error.h"
#include "base/line_file.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace orvital;
using namespace orvital::test;

namespace {} // namespace

class TestLineFile : public QObject {
    Q_OBJECT

private slots:
    void load_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty file") << QByteArray() << QStringList();
        QTest::newRow("CR LF, final end adds nothing")
            << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("no final end") << QByteArray("a\r\nb") << QStringList{"a", "b"};
        QTest::newRow("lone LF") << QByteArray("a\nb\n") << QStringList{"a", "b"};
        QTest::newRow("lone CR") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("mixed ends")
            << QByteArray("a\r\nb\nc\rd") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("CR before CR LF is an empty line")
            << QByteArray("a\r\r\nb") << QStringList{"a", "", "b"};
        QTest::newRow("LF CR is two ends") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
        QTest::newRow("only a line end") << QByteArray("\r\n") << QStringList{""};
        QTest::newRow("empty lines in the middle and at the end")
            << QByteArray("x\r\n\r\ny\r\n\r\n\r\n") << QStringList{"x", "", "y", "", ""};
        QTest::newRow("blanks kept") << QByteArray("  a \t\r\n") << QStringList{"  a \t"};
        QTest::newRow("cp1251") << QByteArray("\xcf\xf0 07:00 1\r\n\xb9\xa8\xb8\n")
                                << QStringList{"Пр 07:00 1", "№Ёё"};
    }

    void load() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        const QString path = dir.filePath("lines.txt");
        putFile(path, bytes);
        QCOMPARE(loadLines(path), lines);
    }

    void save_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("no lines") << QStringList() << QByteArray();
        QTest::newRow("one empty line") << QStringList{""} << QByteArray("\r\n");
        QTest::newRow("every line ended, the last too")
            << QStringList{"a", "b"} << QByteArray("a\r\nb\r\n");
        QTest::newRow("empty trailing lines")
            << QStringList{"01.01", "", ""} << QByteArray("01.01\r\n\r\n\r\n");
        QTest::newRow("cp1251") << QStringList{"Январь", "Пр 07:00 1 22:00 2"}
                                << QByteArray("\xdf\xed\xe2\xe0\xf0\xfc\r\n"
                                              "\xcf\xf0 07:00 1 22:00 2\r\n");
        QTest::newRow("outside cp1251") << QStringList{"a中"} << QByteArray("a?\r\n");
    }

    void save() {
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath("lines.txt");
        putFile(path, "older and longer contents\r\n");
        saveLines(path, lines);
        QCOMPARE(fileBytes(path), bytes);
        QCOMPARE(entries(dir.path()), QStringList{"lines.txt"});
    }

    // A holiday list with empty places at the end survives a save and a load unchanged.
    void roundTrip() {
        const QStringList holidays{"01.01", "02.01", "23.02", "08.03", "01.05", "02.05",
                                   "09.05", "12.06", "05.10", "07.11", "12.12", "",
                                   "",      "",      "*",     ""};
        QTemporaryDir dir;
        const QString path = dir.filePath("Prazdn.txt");
        saveLines(path, holidays);
        QCOMPARE(fileBytes(path).count("\r\n"), 16);
        QCOMPARE(loadLines(path), holidays);
    }

    void loadFails_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing file") << "missing.txt";
        QTest::newRow("folder") << "folder";
        QTest::newRow("below a regular file") << "plain.txt/inner.txt";
    }

    void loadFails() {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        putFile(dir.filePath("plain.txt"), "x\r\n");
        const QString path = dir.filePath(name);
        QCOMPARE(fileErrorOf([&] { loadLines(path); }),
                 "Cannot open file " + QDir::toNativeSeparators(path));
    }

    // Failures that hold as root; a read-only target is refused as well.
    void saveFails_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("target is a folder") << "folder";
        QTest::newRow("parent is a regular file") << "plain.txt/inner.txt";
        QTest::newRow("read-only file") << "readonly.txt";
    }

    void saveFails() {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        putFile(dir.filePath("plain.txt"), "x\r\n");
        putFile(dir.filePath("readonly.txt"), "kept\r\n");
        QVERIFY(QFile::setPermissions(dir.filePath("readonly.txt"), QFile::ReadOwner));
        const QString path = dir.filePath(name);
        QCOMPARE(fileErrorOf([&] { saveLines(path, {"new"}); }),
                 "Cannot create file " + QDir::toNativeSeparators(path));
        QCOMPARE(fileBytes(dir.filePath("plain.txt")), QByteArray("x\r\n"));
        QCOMPARE(fileBytes(dir.filePath("readonly.txt")), QByteArray("kept\r\n"));
        QCOMPARE(entries(dir.path()), (QStringList{"folder", "plain.txt", "readonly.txt"}));
    }
};

QTEST_GUILESS_MAIN(TestLineFile)
#include "tst_line_file.moc"

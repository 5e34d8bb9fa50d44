#include "base/cp1251.h"
#include "base/error.h"
#include "base/ini_file.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>

using namespace orvital;
using namespace orvital::test;

namespace {

const QString kDefault = QStringLiteral("<default>");

} // namespace

enum class Obstacle { ReadOnlyFile, ReadOnlyFolder, ParentIsFile, TargetIsFolder };
Q_DECLARE_METATYPE(Obstacle)

class TestIniFile : public QObject {
    Q_OBJECT

private slots:
    void readString_data() {
        QTest::addColumn<QString>("contents");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QString options = QStringLiteral("[Options]\r\nPort=3\r\n");
        QTest::newRow("plain") << options << "Options"
                               << "Port"
                               << "3";
        QTest::newRow("names ignore case") << options << "OPTIONS"
                                           << "port"
                                           << "3";
        QTest::newRow("Cyrillic names ignore case, Ё too")
            << QStringLiteral("[Настройки программы]\r\nТип счётчика=512\r\n")
            << QStringLiteral("НАСТРОЙКИ ПРОГРАММЫ") << QStringLiteral("тип СЧЁТЧИКА") << "512";
        QTest::newRow("blanks around names and value")
            << QStringLiteral(" \t[ Options ] \r\n  Port \t=  a b \t\r\n") << " Options"
            << "Port "
            << "a b";
        QTest::newRow("double quotes") << QStringLiteral("[A]\r\nk= \" a b \" \r\n") << "A"
                                       << "k"
                                       << " a b ";
        QTest::newRow("single quotes") << QStringLiteral("[A]\r\nk='x'\r\n") << "A"
                                       << "k"
                                       << "x";
        QTest::newRow("quotes that do not match") << QStringLiteral("[A]\r\nk=\"x'\r\n") << "A"
                                                  << "k"
                                                  << "\"x'";
        QTest::newRow("a lone quote") << QStringLiteral("[A]\r\nk=\"\r\n") << "A"
                                      << "k"
                                      << "\"";
        QTest::newRow("empty quotes") << QStringLiteral("[A]\r\nk=''\r\n") << "A"
                                      << "k"
                                      << "";
        QTest::newRow("empty value is not the default") << QStringLiteral("[A]\r\nk=\r\n") << "A"
                                                        << "k"
                                                        << "";
        QTest::newRow("value holding =") << QStringLiteral("[A]\r\nk=a=b\r\n") << "A"
                                         << "k"
                                         << "a=b";
        QTest::newRow("missing key") << options << "Options"
                                     << "Speed" << kDefault;
        QTest::newRow("missing section") << options << "Other"
                                         << "Port" << kDefault;
        QTest::newRow("key of another section") << QStringLiteral("[A]\r\n[B]\r\nk=1\r\n") << "A"
                                                << "k" << kDefault;
        QTest::newRow("key before any section") << QStringLiteral("k=1\r\n[A]\r\n") << "A"
                                                << "k" << kDefault;
        QTest::newRow("comment is no key") << QStringLiteral("[A]\r\n;k=1\r\n") << "A"
                                           << ";k" << kDefault;
        QTest::newRow("line without = is no key") << QStringLiteral("[A]\r\nk\r\n") << "A"
                                                  << "k" << kDefault;
        QTest::newRow("unclosed bracket is no section")
            << QStringLiteral("[A]\r\n[B\r\nk=1\r\n") << "A"
            << "k"
            << "1";
        QTest::newRow("first of two sections")
            << QStringLiteral("[A]\r\nk=1\r\n[a]\r\nk=2\r\nj=3\r\n") << "A"
            << "k"
            << "1";
        QTest::newRow("second section of a name is not searched")
            << QStringLiteral("[A]\r\nk=1\r\n[a]\r\nj=3\r\n") << "A"
            << "j" << kDefault;
        QTest::newRow("first of two keys") << QStringLiteral("[A]\r\nk=1\r\nK=2\r\n") << "A"
                                           << "k"
                                           << "1";
        QTest::newRow("lone LF ends") << QStringLiteral("[A]\nx=1\nk=2\n") << "A"
                                      << "k"
                                      << "2";
        QTest::newRow("lone CR ends") << QStringLiteral("[A]\rx=1\rk=2") << "A"
                                      << "k"
                                      << "2";
        QTest::newRow("name outside cp1251 reads as ?")
            << QStringLiteral("[A]\r\n?=1\r\n") << "A" << QStringLiteral("中") << "1";
        QTest::newRow("empty file") << QString() << "A"
                                    << "k" << kDefault;
    }

    void readString() {
        QFETCH(QString, contents);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString path = dir.filePath("test.ini");
        putFile(path, cp1251::encode(contents));
        QCOMPARE(IniFile(path).readString(section, key, kDefault), value);
    }

    void readWithoutFile() {
        QTemporaryDir dir;
        QCOMPARE(IniFile(dir.filePath("none.ini")).readString("A", "k", kDefault), kDefault);
        QCOMPARE(IniFile(dir.filePath("none.ini")).readInteger("A", "k", 42), 42);
        QCOMPARE(IniFile(dir.path()).readString("A", "k", kDefault), kDefault);
        QVERIFY(!QFile::exists(dir.filePath("none.ini")));
    }

    void readInteger_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("10") << "10" << 10;
        QTest::newRow("-5") << "-5" << -5;
        QTest::newRow("+5") << "+5" << 5;
        QTest::newRow("leading zeros") << "007" << 7;
        QTest::newRow("$1F") << "$1F" << 31;
        QTest::newRow("0x1f") << "0x1f" << 31;
        QTest::newRow("0X1F") << "0X1F" << 31;
        QTest::newRow("12a") << "12a" << 42;
        QTest::newRow("empty") << "" << 42;
        QTest::newRow(" 7 ") << " 7 " << 7;
        QTest::newRow("quoted") << "\"12\"" << 12;
        QTest::newRow("blank inside") << "1 2" << 42;
        QTest::newRow("sign alone") << "-" << 42;
        QTest::newRow("$ alone") << "$" << 42;
        QTest::newRow("0x alone") << "0x" << 42;
        QTest::newRow("not hex") << "$1G" << 42;
        QTest::newRow("signed hex") << "-$10" << 42;
        QTest::newRow("decimal point") << "1.5" << 42;
        QTest::newRow("other script's digit") << QStringLiteral("٣") << 42;
        QTest::newRow("largest") << "2147483647" << INT_MAX;
        QTest::newRow("smallest") << "-2147483648" << INT_MIN;
        QTest::newRow("one past largest") << "2147483648" << 42;
        QTest::newRow("one past smallest") << "-2147483649" << 42;
        QTest::newRow("far beyond 64 bits") << "99999999999999999999999" << 42;
        QTest::newRow("hex 32-bit pattern") << "$FFFFFFFF" << -1;
        QTest::newRow("hex sign bit") << "0x80000000" << INT_MIN;
        QTest::newRow("hex beyond 32 bits") << "$100000000" << 42;
        QTest::newRow("hex leading zeros") << "$0000000000001F" << 31;
    }

    void readInteger() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QTemporaryDir dir;
        const QString path = dir.filePath("test.ini");
        putFile(path, cp1251::encode("[Options]\r\nSpeed=" + text + "\r\n"));
        QCOMPARE(IniFile(path).readInteger("Options", "Speed", 42), value);
    }

    void write_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("after");
        QTest::newRow("replace in place keeps every other line")
            << QStringLiteral("; port settings \u0098\r\n\r\n[Options]\r\nPort=1\r\n  Speed = 3 "
                              "\r\nno equals sign\r\n\r\n[Other]\r\nSpeed=5\r\n")
            << "options"
            << "SPEED"
            << "7"
            << QStringLiteral("; port settings \u0098\r\n\r\n[Options]\r\nPort=1\r\nSpeed=7\r\n"
                              "no equals sign\r\n\r\n[Other]\r\nSpeed=5\r\n");
        QTest::newRow("new key after the section's last key")
            << "[A]\r\nx=1\r\n; about B\r\n\r\n[B]\r\ny=2\r\n"
            << "A"
            << "z"
            << "3"
            << "[A]\r\nx=1\r\nz=3\r\n; about B\r\n\r\n[B]\r\ny=2\r\n";
        QTest::newRow("new key in a section without keys")
            << "[A]\r\n; nothing yet\r\n;k=1\r\n[B]\r\n"
            << "A"
            << "k"
            << "v"
            << "[A]\r\nk=v\r\n; nothing yet\r\n;k=1\r\n[B]\r\n";
        QTest::newRow("new key before trailing blank lines") << "[A]\r\nx=1\r\n\r\n\r\n"
                                                             << "A"
                                                             << "z"
                                                             << "3"
                                                             << "[A]\r\nx=1\r\nz=3\r\n\r\n\r\n";
        QTest::newRow("new section at the end") << "[A]\r\nx=1\r\n\r\n"
                                                << "B"
                                                << "y"
                                                << "2"
                                                << "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n";
        QTest::newRow("file without final line end") << "[A]\r\nx=1"
                                                     << "B"
                                                     << "y"
                                                     << "2"
                                                     << "[A]\r\nx=1\r\n[B]\r\ny=2\r\n";
        QTest::newRow("empty file") << ""
                                    << "A"
                                    << "k"
                                    << "v"
                                    << "[A]\r\nk=v\r\n";
        QTest::newRow("LF and CR become CR LF") << "[A]\nx=1\ry=2\n"
                                                << "A"
                                                << "x"
                                                << "9"
                                                << "[A]\r\nx=9\r\ny=2\r\n";
        QTest::newRow("Cyrillic names ignore case and keep their spelling")
            << QStringLiteral("[Настройки программы]\r\nТип счётчика=513\r\n")
            << QStringLiteral("НАСТРОЙКИ ПРОГРАММЫ") << QStringLiteral("тип СЧЁТЧИКА") << "512"
            << QStringLiteral("[Настройки программы]\r\nТип счётчика=512\r\n");
        QTest::newRow("names trimmed, value written as given") << "[A]\r\n"
                                                               << " A "
                                                               << "\tk "
                                                               << " v "
                                                               << "[A]\r\nk= v \r\n";
        QTest::newRow("section line with blanks") << "  [ A ]  \r\nk=1\r\n"
                                                  << "a"
                                                  << "K"
                                                  << "2"
                                                  << "  [ A ]  \r\nk=2\r\n";
        QTest::newRow("first of two sections") << "[A]\r\nx=1\r\n[B]\r\n[a]\r\nx=2\r\n"
                                               << "A"
                                               << "y"
                                               << "5"
                                               << "[A]\r\nx=1\r\ny=5\r\n[B]\r\n[a]\r\nx=2\r\n";
        QTest::newRow("key before any section is not in the section") << "k=1\r\n[A]\r\n"
                                                                      << "A"
                                                                      << "k"
                                                                      << "2"
                                                                      << "k=1\r\n[A]\r\nk=2\r\n";
        QTest::newRow("line breaks in the value become blanks") << ""
                                                                << "A"
                                                                << "k"
                                                                << "x\r\ny\nz"
                                                                << "[A]\r\nk=x  y z\r\n";
        QTest::newRow("name outside cp1251 finds its ? line") << "[A]\r\n?=1\r\n"
                                                              << "A" << QStringLiteral("中") << "2"
                                                              << "[A]\r\n?=2\r\n";
    }

    void write() {
        QFETCH(QString, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, after);
        QTemporaryDir dir;
        const QString path = dir.filePath("test.ini");
        putFile(path, cp1251::encode(before));
        IniFile(path).writeString(section, key, value);
        QCOMPARE(fileBytes(path), cp1251::encode(after));
        QCOMPARE(entries(dir.path()), QStringList{"test.ini"});
    }

    // The first write creates the file, in cp1251 with CR LF.
    void createOnFirstWrite() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Nastr.txt");
        IniFile ini(path);
        ini.writeInteger(QStringLiteral("Настройки программы"), QStringLiteral("Тип счётчика"),
                         513);
        ini.writeInteger("Options", "Port", -5);
        QCOMPARE(fileBytes(path),
                 QByteArray("[\xcd\xe0\xf1\xf2\xf0\xee\xe9\xea\xe8 \xef\xf0\xee\xe3\xf0\xe0\xec\xec"
                            "\xfb]\r\n\xd2\xe8\xef \xf1\xf7\xb8\xf2\xf7\xe8\xea\xe0=513\r\n"
                            "[Options]\r\nPort=-5\r\n"));
    }

    void integerRoundTrip_data() {
        QTest::addColumn<int>("value");
        QTest::newRow("0") << 0;
        QTest::newRow("-5") << -5;
        QTest::newRow("largest") << INT_MAX;
        QTest::newRow("smallest") << INT_MIN;
    }

    void integerRoundTrip() {
        QFETCH(int, value);
        QTemporaryDir dir;
        IniFile ini(dir.filePath("test.ini"));
        ini.writeInteger("A", "k", value);
        QCOMPARE(ini.readInteger("A", "k", 42), value);
    }

    // Each call goes to the file: a change made by someone else between two calls is seen by
    // the next read and kept by the next write.
    void noCachingBetweenCalls() {
        QTemporaryDir dir;
        const QString path = dir.filePath("test.ini");
        IniFile ini(path);
        ini.writeString("A", "x", "1");
        putFile(path, "[A]\r\nx=2\r\n; added meanwhile\r\n");
        QCOMPARE(ini.readString("A", "x", kDefault), QString("2"));
        ini.writeString("A", "y", "3");
        QCOMPARE(fileBytes(path), QByteArray("[A]\r\nx=2\r\ny=3\r\n; added meanwhile\r\n"));
    }

    void valueLengthLimit_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("readLength");
        QTest::newRow("1022") << 1022 << 1022;
        QTest::newRow("1023") << 1023 << 1023;
        QTest::newRow("1024") << 1024 << 1023;
        QTest::newRow("3000") << 3000 << 1023;
    }

    // Values are cut when read, not when written: the file keeps the whole text.
    void valueLengthLimit() {
        QFETCH(int, length);
        QFETCH(int, readLength);
        QString value;
        for (int i = 0; i < length; ++i)
            value.append(QStringLiteral("абвгд12345").at(i % 10));
        QTemporaryDir dir;
        const QString path = dir.filePath("test.ini");
        IniFile ini(path);
        ini.writeString("A", "k", value);
        QCOMPARE(fileBytes(path), "[A]\r\nk=" + cp1251::encode(value) + "\r\n");
        QCOMPARE(ini.readString("A", "k", kDefault), value.left(readLength));
    }

    void writeFails_data() {
        QTest::addColumn<Obstacle>("obstacle");
        // Root may write such files and folders; they are refused for having no write bit.
        QTest::newRow("read-only file") << Obstacle::ReadOnlyFile;
        QTest::newRow("read-only folder") << Obstacle::ReadOnlyFolder;
        // These fail for every user.
        QTest::newRow("parent is a regular file") << Obstacle::ParentIsFile;
        QTest::newRow("target is a folder") << Obstacle::TargetIsFolder;
    }

    void writeFails() {
        QFETCH(Obstacle, obstacle);
        QTemporaryDir dir;
        const QString folder = dir.filePath("folder");
        QVERIFY(QDir().mkpath(folder));
        const QString existing = folder + "/test.ini";
        putFile(existing, "[A]\r\nk=1\r\n");
        QString path = existing;
        switch (obstacle) {
        case Obstacle::ReadOnlyFile:
            QVERIFY(QFile::setPermissions(existing, QFile::ReadOwner | QFile::ReadGroup));
            break;
        case Obstacle::ReadOnlyFolder:
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
            break;
        case Obstacle::ParentIsFile:
            path = existing + "/inner.ini";
            break;
        case Obstacle::TargetIsFolder:
            path = folder + "/sub.ini";
            QVERIFY(QDir().mkpath(path));
            break;
        }
        const QString error = fileErrorOf([&] { IniFile(path).writeInteger("A", "k", 2); });
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(error, "Unable to write to " + QDir::toNativeSeparators(path));
        QCOMPARE(fileBytes(existing), QByteArray("[A]\r\nk=1\r\n"));
        QCOMPARE(entries(folder).size(), obstacle == Obstacle::TargetIsFolder ? 2 : 1);
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_ini_file.moc"

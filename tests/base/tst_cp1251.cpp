#include "base/cp1251.h"

#include <QStringDecoder>
#include <QtTest>

using namespace orvital;

class TestCp1251 : public QObject {
    Q_OBJECT

private slots:
    // The 64 letters 0xC0..0xFF, against the alphabet written out rather than computed.
    void cyrillicAlphabet() {
        const QString alphabet = QStringLiteral("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"
                                                "абвгдежзийклмнопрстуфхцчшщъыьэюя");
        QByteArray bytes;
        for (int b = 0xC0; b <= 0xFF; ++b)
            bytes.append(static_cast<char>(b));
        QCOMPARE(cp1251::decode(bytes), alphabet);
        QCOMPARE(cp1251::encode(alphabet), bytes);
    }

    void bothWays_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ASCII") << QStringLiteral("Port=1 [x];") << QByteArray("Port=1 [x];");
        QTest::newRow("NUL and DEL")
            << QString(QChar(0)) + QChar(0x7F) << QByteArray("\x00\x7f", 2);
        QTest::newRow("Ё") << QStringLiteral("Ё") << QByteArray("\xa8");
        QTest::newRow("ё") << QStringLiteral("ё") << QByteArray("\xb8");
        QTest::newRow("№") << QStringLiteral("№") << QByteArray("\xb9");
        QTest::newRow("€") << QStringLiteral("€") << QByteArray("\x88");
        QTest::newRow("Ђ first of upper half") << QStringLiteral("Ђ") << QByteArray("\x80");
        QTest::newRow("ї last before letters") << QStringLiteral("ї") << QByteArray("\xbf");
        QTest::newRow("Ґ ґ") << QStringLiteral("Ґґ") << QByteArray("\xa5\xb4");
        QTest::newRow("Ukrainian, Belarusian")
            << QStringLiteral("ІіЇїЄєЎў") << QByteArray("\xb2\xb3\xaf\xbf\xaa\xba\xa1\xa2");
        QTest::newRow("quotes and dashes")
            << QStringLiteral("„“”«»–—…") << QByteArray("\x84\x93\x94\xab\xbb\x96\x97\x85");
        QTest::newRow("no-break space, ™") << QStringLiteral("\u00A0™") << QByteArray("\xa0\x99");
        // The code page leaves 0x98 undefined; Windows maps it to U+0098 both ways.
        QTest::newRow("0x98") << QString(QChar(0x98)) << QByteArray("\x98");
        QTest::newRow("mixed") << QStringLiteral("Тип счётчика=513")
                               << QByteArray("\xd2\xe8\xef \xf1\xf7\xb8\xf2\xf7\xe8\xea\xe0=513");
    }

    void bothWays() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(cp1251::encode(text), bytes);
        QCOMPARE(cp1251::decode(bytes), text);
    }

    void outsideCodePage_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Latin é") << QStringLiteral("café") << QByteArray("caf?");
        QTest::newRow("CJK") << QStringLiteral("a中b") << QByteArray("a?b");
        QTest::newRow("C1 control other than U+0098") << QString(QChar(0x81)) << QByteArray("?");
        QTest::newRow("surrogate pair is one character")
            << QStringLiteral("x\U0001F600y") << QByteArray("x?y");
        QTest::newRow("lone high surrogate") << QString(QChar(0xD83D)) + u'z' << QByteArray("?z");
        QTest::newRow("lone low surrogate") << QString(QChar(0xDE00)) << QByteArray("?");
        QTest::newRow("high surrogate at the end")
            << u'a' + QString(QChar(0xD83D)) << QByteArray("a?");
        QTest::newRow("two pairs") << QStringLiteral("\U0001F600\U0001F601") << QByteArray("??");
    }

    void outsideCodePage() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(cp1251::encode(text), bytes);
    }

    // Every byte decodes to a character that encodes back to it, so a file read and written
    // again keeps its bytes.
    void everyByteRoundTrips() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(static_cast<char>(b));
        const QString text = cp1251::decode(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(cp1251::encode(text), all);
    }

    // Where Qt has a Windows-1251 codec (ICU), the whole upper half agrees with it; ICU leaves
    // 0x98 undefined, where our table follows Windows.
    void upperHalfAgreesWithSystemCodec() {
        QStringDecoder system("windows-1251");
        if (!system.isValid())
            QSKIP("Qt has no windows-1251 codec on this system");
        for (int b = 0x80; b <= 0xFF; ++b) {
            if (b == 0x98)
                continue;
            const QByteArray byte(1, static_cast<char>(b));
            const QString expected = system.decode(byte);
            QVERIFY2(cp1251::decode(byte) == expected,
                     qPrintable(QStringLiteral("byte 0x%1").arg(b, 2, 16)));
        }
    }
};

QTEST_GUILESS_MAIN(TestCp1251)
#include "tst_cp1251.moc"

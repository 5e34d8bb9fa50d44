#include "base/cp1251.h"
#include "link/port_settings.h"

#include <QtTest>

using namespace orvital;

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

class TestPortSettings : public QObject {
    Q_OBJECT

private slots:
    void firstStartDefaults() {
        QTemporaryDir dir;
        const PortSettings settings(dir.path());
        const auto values = settings.read();
        QCOMPARE(values.portIndex, 1);
        QCOMPARE(values.speedIndex, 1);
        QCOMPARE(values.echo, false);
        QCOMPARE(portNames().at(values.portIndex), QStringLiteral("COM2"));
        QCOMPARE(baudOfSpeedIndex(values.speedIndex), 600);
        QVERIFY(!QFile::exists(settings.path())); // reading never creates the file
    }

    void readsStoredValues_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("speed");
        QTest::addColumn<bool>("echo");
        const QByteArray echoKey = cp1251::encode(QStringLiteral("Эхо"));
        QTest::newRow("decimal") << "[Options]\r\nPort=3\r\nSpeed=5\r\n" + echoKey + "=1\r\n"
                                 << 3 << 5 << true;
        QTest::newRow("hex forms") << "[options]\r\nport=$2\r\nSPEED=0x7\r\n" + echoKey + "=2\r\n"
                                   << 2 << 7 << false;
        QTest::newRow("odd echo") << "[Options]\r\n" + echoKey + "=3\r\n" << 1 << 1 << true;
        QTest::newRow("not numbers")
            << QByteArray("[Options]\r\nPort=two\r\nSpeed=\r\n") << 1 << 1 << false;
        QTest::newRow("outside the list")
            << QByteArray("[Options]\r\nPort=12\r\nSpeed=-1\r\n") << 12 << -1 << false;
    }
    void readsStoredValues() {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        const PortSettings settings(dir.path());
        writeAll(settings.path(), file);
        const auto values = settings.read();
        QTEST(values.portIndex, "port");
        QTEST(values.speedIndex, "speed");
        QTEST(values.echo, "echo");
    }

    void writesOnlyPortAndSpeed() {
        QTemporaryDir dir;
        const PortSettings settings(dir.path() + QStringLiteral("/config"));
        settings.write(4, 8);
        QCOMPARE(readAll(settings.path()), QByteArray("[Options]\r\nPort=4\r\nSpeed=8\r\n"));
        // The echo key the operator set by hand survives, and the values are replaced in place.
        const QByteArray echoLine = cp1251::encode(QStringLiteral("Эхо=1\r\n"));
        writeAll(settings.path(), "[Options]\r\n" + echoLine + "Port=0\r\n");
        settings.write(2, 3);
        QCOMPARE(readAll(settings.path()), "[Options]\r\n" + echoLine + "Port=2\r\nSpeed=3\r\n");
    }

    void speedList() {
        QCOMPARE(speedTexts(),
                 QStringList({"300", "600", "1200", "2400", "4800", "9600", "19200", "38400", ""}));
        QCOMPARE(baudOfSpeedIndex(8), 57600);
        QCOMPARE(baudOfSpeedIndex(9), 0);
        QCOMPARE(baudOfSpeedIndex(-1), 0);
    }

    void defaultFolderFollowsXdg() {
#ifdef Q_OS_UNIX
        QTemporaryDir dir;
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
        QCOMPARE(PortSettings::defaultFolder(), dir.path());
#endif
    }
};

QTEST_GUILESS_MAIN(TestPortSettings)
#include "tst_port_settings.moc"

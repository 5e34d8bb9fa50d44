// The program itself, started as the operator starts it: a termination signal must close the
// window through the normal shut-down, so the port selections are saved.
#include <QtTest>

#include <csignal>

namespace {
// True once the process has installed a handler for the signal (Linux: SigCgt in its status).
bool catches(qint64 pid, int signal) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    return false;
}
} // namespace

class TestProgram : public QObject {
    Q_OBJECT

private slots:
    void terminationSignalsRunTheShutDown_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void terminationSignalsRunTheShutDown() {
        QFETCH(int, signal);
        QTemporaryDir config;
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(ORVITAL_PROGRAM),
                      {QStringLiteral("--port"), QStringLiteral("virtual")});
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(catches(program.processId(), signal), 20000);
        ::kill(pid_t(program.processId()), signal);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QFile ini(config.filePath(QStringLiteral("Brenvik.ini")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QCOMPARE(ini.readAll(), QByteArray("[Options]\r\nPort=1\r\nSpeed=1\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"

#include "app/main_form.h"
#include "app/routing_port.h"
#include "link/clock.h"
#include "link/port_settings.h"
#include "link/qt_serial_port.h"
#include "sim/virtual_meter.h"
#include "sim/virtual_meter_port.h"
#include "widgets/qt_dialogs.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

using namespace orvital;

#ifdef Q_OS_UNIX
namespace {
int signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] auto n = ::write(signalPipe[0], &byte, 1);
}

// A logout, a kill or a closed terminal closes the window as its close button does, so the
// shut-down steps still run and the port settings are saved.
void closeOnTerminationSignals(QWidget& window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char byte;
        [[maybe_unused]] auto n = ::read(signalPipe[1], &byte, 1);
        window.close();
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    // The terminal the program was started from closing is the same kind of end.
    ::sigaction(SIGHUP, &action, nullptr);
}
} // namespace
#endif

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(TMainForm::ApplicationTitle));

    QCommandLineParser parser;
    parser.setApplicationDescription(QApplication::applicationName());
    parser.addHelpOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral(
            "Порт на этот запуск: имя устройства или \"virtual\" (виртуальный счётчик)."),
        QStringLiteral("NAME"));
    parser.addOption(portOption);
    parser.process(app);

    SystemClock clock;
    QtDialogs dialogs(QApplication::applicationName());
    QtSerialPort device;
    VirtualMeter meter(clock);
    VirtualMeterPort virtualPort(meter, clock);
    virtualPort.setOptions({.echo = false, .lineTiming = true});
    RoutingPort port(device, virtualPort);

    AppContext context{QDir(QApplication::applicationDirPath()).absolutePath(),
                       PortSettings::defaultFolder(),
                       port,
                       clock,
                       dialogs,
                       parser.value(portOption)};
    TMainForm window(context);
    dialogs.setParentWidget(&window);
#ifdef Q_OS_UNIX
    closeOnTerminationSignals(window);
#endif
    window.show();
    return app.exec();
}

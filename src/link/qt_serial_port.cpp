#include "link/qt_serial_port.h"

#include "base/error.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>

#include <cerrno>
#include <thread>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#endif

namespace orvital {

namespace {

const QString AccessErrorText = QStringLiteral("Error accessing specified device");
const QString HandleErrorText = QStringLiteral("Invalid device handle, access denied");
const QString WriteErrorText = QStringLiteral("Write error");
const QString NotOpenText = QStringLiteral("Port not open, unable to complete operation");
const QString DcbErrorText = QStringLiteral("Error updating DataControlBlock");
const QString BuffersErrorText = QStringLiteral("Error initializing Read/Write Buffers");

constexpr char EventChar = 0x00;

// The device path a port name stands for: a path as it is, a bare name in /dev (as Qt does).
QString devicePath(const QString& name) {
#ifdef Q_OS_UNIX
    return name.contains(QLatin1Char('/')) ? name : QStringLiteral("/dev/") + name;
#else
    return name;
#endif
}

} // namespace

QtSerialPort::QtSerialPort(QObject* parent) : QObject(parent) {
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialPort::scanForEventChar);
}

QtSerialPort::~QtSerialPort() {
    close();
}

void QtSerialPort::open(const QString& deviceName) {
    close();
    if (deviceName.trimmed().isEmpty())
        throw SerialError(AccessErrorText, 2);
#ifdef Q_OS_UNIX
    struct stat info {};
    const QByteArray path = QFile::encodeName(devicePath(deviceName));
    if (::stat(path.constData(), &info) != 0)
        throw SerialError(AccessErrorText, errno);
    // A regular file or a folder would "open" but is no line to a meter.
    if (!S_ISCHR(info.st_mode))
        throw SerialError(HandleErrorText, -1);
#endif
    port_.setPortName(devicePath(deviceName));
    errno = 0;
    if (!port_.open(QIODevice::ReadWrite)) {
        const int code = errno != 0 ? errno : int(port_.error());
        throw SerialError(AccessErrorText, code);
    }
    const bool configured = port_.setBaudRate(baud_) && port_.setDataBits(QSerialPort::Data8) &&
                            port_.setParity(QSerialPort::NoParity) &&
                            port_.setStopBits(QSerialPort::OneStop) &&
                            port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        const int code = int(port_.error());
        port_.close();
        throw SerialError(DcbErrorText, code);
    }
    port_.setReadBufferSize(InputBufferSize);
    if (port_.readBufferSize() != InputBufferSize) {
        port_.close();
        throw SerialError(BuffersErrorText, -1);
    }
    port_.clear();
    scanned_ = 0;
}

void QtSerialPort::close() {
    if (port_.isOpen())
        port_.close();
    scanned_ = 0;
}

bool QtSerialPort::isOpen() const {
    return port_.isOpen();
}

void QtSerialPort::setBaudRate(int baud) {
    baud_ = baud;
    if (port_.isOpen() && !port_.setBaudRate(baud))
        throw SerialError(DcbErrorText, int(port_.error()));
}

void QtSerialPort::pump() {
    if (port_.isOpen())
        port_.waitForReadyRead(0);
}

int QtSerialPort::write(const std::uint8_t* data, int n) {
    if (!port_.isOpen())
        throw SerialError(NotOpenText, -1);
    if (port_.write(reinterpret_cast<const char*>(data), n) != n)
        throw SerialError(WriteErrorText, int(port_.error()));
    QElapsedTimer timer;
    timer.start();
    while (port_.bytesToWrite() > 0) {
        const qint64 left = CompletionBoundMs - timer.elapsed();
        if (left <= 0 || !port_.waitForBytesWritten(int(left)))
            return port_.bytesToWrite() > 0 ? -1 : n;
    }
    return n;
}

int QtSerialPort::read(std::uint8_t* buffer, int n) {
    if (!port_.isOpen())
        throw SerialError(NotOpenText, -1);
    pump();
    const qint64 got = port_.read(reinterpret_cast<char*>(buffer), n);
    if (got < 0)
        return -1;
    scanned_ = std::max<qint64>(0, scanned_ - got);
    return int(got);
}

int QtSerialPort::inputCount() {
    if (!port_.isOpen())
        return -1;
    pump();
    return int(port_.bytesAvailable());
}

int QtSerialPort::outputCount() {
    if (!port_.isOpen())
        return -1;
    qint64 count = port_.bytesToWrite();
#ifdef Q_OS_UNIX
    // Bytes the driver holds but the UART has not sent yet count too: the pre-wait of an
    // exchange must start when the request is on the line.
    int driverQueue = 0;
    if (::ioctl(int(port_.handle()), TIOCOUTQ, &driverQueue) == 0)
        count += driverQueue;
#endif
    return int(count);
}

int QtSerialPort::drainOutput(int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (port_.isOpen() && port_.bytesToWrite() > 0) {
        const qint64 left = timeoutMs - timer.elapsed();
        if (left <= 0 || !port_.waitForBytesWritten(int(left)))
            break;
    }
    // The driver's own queue has no blocking wait with a bound; poll it finely.
    while (outputCount() > 0 && timer.elapsed() < timeoutMs)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    return outputCount();
}

void QtSerialPort::purgeInput() {
    if (!port_.isOpen())
        return;
    port_.clear(QSerialPort::Input);
    scanned_ = 0;
}

void QtSerialPort::purgeOutput() {
    if (port_.isOpen())
        port_.clear(QSerialPort::Output);
}

void QtSerialPort::setDtr(bool on) {
    if (!port_.isOpen())
        throw SerialError(NotOpenText, -1);
    // A line without modem control (a pseudo-terminal, some USB adapters) refuses DTR; that is
    // no reason to stop the operator.
    port_.setDataTerminalReady(on);
}

void QtSerialPort::setEventCharHandler(std::function<void()> handler) {
    eventHandler_ = std::move(handler);
}

void QtSerialPort::scanForEventChar() {
    const qint64 available = port_.bytesAvailable();
    if (available <= scanned_)
        return;
    const QByteArray head = port_.peek(available);
    const bool found = head.indexOf(EventChar, scanned_) >= 0;
    scanned_ = head.size();
    if (!found || eventPending_ || !eventHandler_)
        return;
    // readyRead also fires inside the polls of an exchange; the handler must only run once the
    // exchange has returned to the event loop.
    eventPending_ = true;
    QTimer::singleShot(0, this, [this] {
        eventPending_ = false;
        if (eventHandler_)
            eventHandler_();
    });
}

} // namespace orvital

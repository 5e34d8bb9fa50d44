#include "link/port_settings.h"

#include "base/ini_file.h"

#include <QDir>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace orvital {

namespace {
const QString Section = QStringLiteral("Options");
const QString PortKey = QStringLiteral("Port");
const QString SpeedKey = QStringLiteral("Speed");
const QString EchoKey = QStringLiteral("Эхо");
} // namespace

QStringList portNames() {
    QStringList names;
    for (int i = 1; i <= 8; ++i)
        names << QStringLiteral("COM%1").arg(i);
    return names;
}

QStringList speedTexts() {
    QStringList texts;
    for (const auto& speed : Speeds)
        texts << QString::fromLatin1(speed.text);
    return texts;
}

int baudOfSpeedIndex(int index) {
    return index >= 0 && index < 9 ? Speeds[index].baud : 0;
}

PortSettings::PortSettings(const QString& folder)
    : path_(QDir(folder).filePath(QString::fromLatin1(FileName))) {}

QString PortSettings::defaultFolder() {
#ifdef Q_OS_WIN
    wchar_t buffer[MAX_PATH] = {};
    const UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
        return QString::fromWCharArray(buffer, int(n));
#endif
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

PortSettings::Values PortSettings::read() const {
    const IniFile ini(path_);
    Values values;
    values.portIndex = ini.readInteger(Section, PortKey, DefaultPortIndex);
    values.speedIndex = ini.readInteger(Section, SpeedKey, DefaultSpeedIndex);
    values.echo = (ini.readInteger(Section, EchoKey, 0) & 1) != 0;
    return values;
}

void PortSettings::write(int portIndex, int speedIndex) const {
    QDir().mkpath(QFileInfo(path_).absolutePath());
    IniFile ini(path_);
    ini.writeInteger(Section, PortKey, portIndex);
    ini.writeInteger(Section, SpeedKey, speedIndex);
}

} // namespace orvital

#pragma once

#include <QString>
#include <QStringList>

namespace orvital {

// Entries of the port selector and the speed selector; the position in the speed list is the
// speed index the exchange timing uses.
struct SpeedEntry {
    const char* text; // entry of the selector (the ninth is blank)
    const char* reportText;
    int baud;
};
inline constexpr SpeedEntry Speeds[9] = {
    {"300", "300", 300},       {"600", "600", 600},       {"1200", "1200", 1200},
    {"2400", "2400", 2400},    {"4800", "4800", 4800},    {"9600", "9600", 9600},
    {"19200", "19200", 19200}, {"38400", "38400", 38400}, {"", "57600", 57600},
};
QStringList portNames();  // "COM1" .. "COM8"
QStringList speedTexts(); // the nine entries of the speed selector
// Baud of a speed index; 0 for an index outside the list.
int baudOfSpeedIndex(int index);

// The port-settings file "Brenvik.ini". The program always kept it in the Windows folder; on
// other systems it lives in the user's configuration folder (XDG_CONFIG_HOME, else ~/.config).
class PortSettings {
public:
    static constexpr const char* FileName = "Brenvik.ini";
    static constexpr int DefaultPortIndex = 1;  // COM2
    static constexpr int DefaultSpeedIndex = 1; // 600 baud

    struct Values {
        int portIndex = DefaultPortIndex;
        int speedIndex = DefaultSpeedIndex;
        bool echo = false;
    };

    explicit PortSettings(const QString& folder);
    static QString defaultFolder();

    QString path() const { return path_; }
    Values read() const;
    // Only the two selections are written back; the echo key is read but never written.
    void write(int portIndex, int speedIndex) const;

private:
    QString path_;
};

} // namespace orvital

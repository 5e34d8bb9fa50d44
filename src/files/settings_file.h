#pragma once

#include <QString>

namespace orvital {

// The meter-settings file "Nastr.txt" (INI layout): the meter type and the values the operator
// prepares once for the pulse-output, cyclic-display and tariff-control pages.
class SettingsFile {
public:
    static constexpr const char* DefaultName = "Nastr.txt";
    static constexpr int DefaultMeterType = 513;

    enum class Kind { Integer, String, Boolean };
    struct Key {
        const char* section;
        const char* key;
        Kind kind;
        const char* newFileValue; // what a newly created file holds
        const char* readDefault;  // what a missing key reads as
    };
    static const Key Keys[17];

    explicit SettingsFile(QString path) : path_(std::move(path)) {}
    const QString& path() const { return path_; }

    // Writes every key with its default, in table order, when no file exists at the path.
    void createIfMissing() const;
    // 513 selects the type 513; any other number the type 512 (reported as 512).
    int readMeterType() const;

private:
    QString path_;
};

} // namespace orvital

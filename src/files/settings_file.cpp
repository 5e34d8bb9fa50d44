#include "files/settings_file.h"

#include "base/ini_file.h"

#include <QFileInfo>

namespace orvital {

const SettingsFile::Key SettingsFile::Keys[17] = {
    {"Настройки программы", "Тип счётчика", Kind::Integer, "513", "513"},
    {"Импульсный выход и лимиты", "Функция выхода", Kind::Integer, "0", "0"},
    {"Импульсный выход и лимиты", "Лимит мощности", Kind::String, "0000", "0000"},
    {"Импульсный выход и лимиты", "Лимит энергии за месяц", Kind::String, "0000", "0000"},
    {"Циклическая индикация параметры", "Тариф 1", Kind::Boolean, "1", "0"},
    {"Циклическая индикация параметры", "Тариф 2", Kind::Boolean, "0", "0"},
    {"Циклическая индикация параметры", "Тариф 3", Kind::Boolean, "0", "0"},
    {"Циклическая индикация параметры", "Тариф 4", Kind::Boolean, "0", "0"},
    {"Циклическая индикация параметры", "Сумма", Kind::Boolean, "1", "0"},
    {"Циклическая индикация параметры", "Мощность", Kind::Boolean, "1", "0"},
    {"Циклическая индикация параметры", "Время", Kind::Boolean, "1", "0"},
    {"Циклическая индикация параметры", "Дата", Kind::Boolean, "1", "0"},
    {"Циклическая индикация время индикации", "Нетекущий тариф", Kind::Integer, "10", "0"},
    {"Циклическая индикация время индикации", "Текущий тариф", Kind::Integer, "10", "0"},
    {"Циклическая индикация время индикации", "Мощность время и дата", Kind::Integer, "10", "0"},
    {"Циклическая индикация время индикации", "После нажатия кнопки", Kind::Integer, "10", "0"},
    {"Управление тарифами", "Количество тарифов", Kind::Integer, "1", "1"},
};

void SettingsFile::createIfMissing() const {
    if (QFileInfo::exists(path_))
        return;
    IniFile ini(path_);
    for (const Key& key : Keys) {
        const QString section = QString::fromUtf8(key.section);
        const QString name = QString::fromUtf8(key.key);
        const QString value = QString::fromUtf8(key.newFileValue);
        if (key.kind == Kind::String)
            ini.writeString(section, name, value);
        else
            ini.writeInteger(section, name, value.toInt());
    }
}

int SettingsFile::readMeterType() const {
    const Key& key = Keys[0];
    const int stored = IniFile(path_).readInteger(QString::fromUtf8(key.section),
                                                  QString::fromUtf8(key.key), DefaultMeterType);
    return stored == 513 ? 513 : 512;
}

} // namespace orvital

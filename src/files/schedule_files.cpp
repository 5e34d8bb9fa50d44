#include "files/schedule_files.h"

#include "base/line_file.h"
#include "params/holiday_page.h"
#include "params/schedule_page.h"
#include "widgets/dialogs.h"

#include <QDir>
#include <QFileInfo>

namespace orvital {

namespace {

struct FileKind {
    QString defaultName;
    QString filter;
};

const FileKind ScheduleFile{QStringLiteral("TarRas.txt"),
                            QStringLiteral("Файл тарифного расписания(*.txt)|*.TXT")};
const FileKind HolidayFile{QStringLiteral("Prazdn.txt"),
                           QStringLiteral("Файл праздничных дней(*.txt)|*.TXT")};

QString defaultPath(const FileKind& kind, const QString& programFolder) {
    return QDir(programFolder).filePath(kind.defaultName);
}

Dialogs::FileRequest request(const FileKind& kind, const QString& programFolder) {
    return {programFolder, kind.filter, kind.defaultName};
}

// The lines of the file, or the defaults, which are then written there.
QStringList loadOrCreate(const QString& path, const QStringList& defaults) {
    if (QFileInfo::exists(path))
        return loadLines(path);
    saveLines(path, defaults);
    return defaults;
}

} // namespace

void startUpHolidays(HolidayPage& page, const QString& programFolder) {
    page.Prazdn =
        loadOrCreate(defaultPath(HolidayFile, programFolder), HolidayPage::defaultHolidays());
    page.listToGrids();
}

void startUpSchedule(SchedulePage& page, const QString& programFolder) {
    page.TarRas =
        loadOrCreate(defaultPath(ScheduleFile, programFolder), SchedulePage::defaultSchedule());
}

void saveScheduleFile(SchedulePage& page, Dialogs& dialogs, const QString& programFolder) {
    page.SaveTarRas();
    if (const auto path = dialogs.saveFile(request(ScheduleFile, programFolder)))
        saveLines(*path, page.TarRas);
}

void loadScheduleFile(SchedulePage& page, Dialogs& dialogs, const QString& programFolder) {
    if (const auto path = dialogs.openFile(request(ScheduleFile, programFolder)))
        page.TarRas = loadLines(*path);
    page.LoadTarRas();
}

void saveHolidayFile(HolidayPage& page, Dialogs& dialogs, const QString& programFolder) {
    page.gridsToList();
    if (const auto path = dialogs.saveFile(request(HolidayFile, programFolder)))
        saveLines(*path, page.Prazdn);
}

void loadHolidayFile(HolidayPage& page, Dialogs& dialogs, const QString& programFolder) {
    if (const auto path = dialogs.openFile(request(HolidayFile, programFolder)))
        page.Prazdn = loadLines(*path);
    page.listToGrids();
}

} // namespace orvital

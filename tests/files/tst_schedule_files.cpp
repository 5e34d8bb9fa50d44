#include "files/schedule_files.h"
#include "support/page_bench.h"

#include "base/error.h"
#include "link/meter_link.h"
#include "link/test_clock.h"
#include "params/holiday_page.h"
#include "params/schedule_page.h"
#include "sim/virtual_meter.h"
#include "sim/virtual_meter_port.h"
#include "widgets/scripted_dialogs.h"
#include "widgets/string_grid.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <stdexcept>

using namespace orvital;

namespace {

// Both pages in a fresh program folder, wired to a virtual meter at address 0.
struct Bench : test::PageBench {
    SchedulePage schedule{ctx};
    HolidayPage holidays{ctx};
    QTemporaryDir dir;

    Bench() {
        if (!dir.isValid())
            throw std::runtime_error("no temporary folder");
    }

    // The program folder, ending with its separator as start-up makes it.
    QString folder() const { return dir.path() + QLatin1Char('/'); }
    QString path(const QString& name) const { return folder() + name; }

    void startUp() {
        startUpHolidays(holidays, folder());
        startUpSchedule(schedule, folder());
        schedule.layoutGrid();
    }

    // The header file buttons' four operations, by number: save and load of the schedule,
    // save and load of the holidays.
    void fileOperation(int operation) {
        switch (operation) {
        case 0:
            saveScheduleFile(schedule, dialogs, folder());
            break;
        case 1:
            loadScheduleFile(schedule, dialogs, folder());
            break;
        case 2:
            saveHolidayFile(holidays, dialogs, folder());
            break;
        default:
            loadHolidayFile(holidays, dialogs, folder());
            break;
        }
    }

    StringGrid* grid(QWidget& page, const char* name) const {
        auto* found = page.findChild<StringGrid*>(QString::fromLatin1(name));
        if (found == nullptr)
            throw std::runtime_error(std::string("no grid ") + name);
        return found;
    }
    StringGrid* scheduleGrid() { return grid(schedule, "StringGrid1"); }
    QStringList places() {
        QStringList cells;
        for (const char* name : {"StringGrid2", "StringGrid5"})
            for (int col = 1; col <= 8; ++col)
                cells.append(grid(holidays, name)->cell(col, 1));
        return cells;
    }
    void setPlace(int place, const QString& text) {
        grid(holidays, place <= 8 ? "StringGrid2" : "StringGrid5")
            ->setCell((place - 1) % 8 + 1, 1, text);
    }
    // Time and tariff cells of the eight points of one schedule grid row.
    QStringList scheduleRow(int row) {
        QStringList cells;
        for (int col = 1; col <= 16; ++col)
            cells.append(scheduleGrid()->cell(col, row));
        return cells;
    }
};

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write a fixture");
}

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

// The default schedule file as it must lie on disk: cp1251 month titles and day-type
// abbreviations, each line ended by CR LF.
QByteArray defaultScheduleBytes() {
    const char* const titles[] = {
        "DFEDE2E0F0FC",     "D4E5E2F0E0EBFC", "CCE0F0F2",     "C0EFF0E5EBFC",
        "CCE0E9",           "C8FEEDFC",       "C8FEEBFC",     "C0E2E3F3F1F2",
        "D1E5EDF2FFE1F0FC", "CEEAF2FFE1F0FC", "CDEEFFE1F0FC", "C4E5EAE0E1F0FC",
    };
    const char* const dayTypes[] = {"C2F1", "CFED", "C2F2", "D1F0", "D7F2", "CFF2", "D1E1", "CFF0"};
    QByteArray bytes;
    for (const char* title : titles) {
        bytes += hex(title) + "\r\n";
        for (const char* dayType : dayTypes)
            bytes += hex(dayType) + " 07:00 1 22:00 2\r\n";
    }
    return bytes;
}

const QByteArray DefaultHolidayBytes = "01.01\r\n02.01\r\n23.02\r\n08.03\r\n01.05\r\n02.05\r\n"
                                       "09.05\r\n12.06\r\n05.10\r\n07.11\r\n12.12\r\n"
                                       "\r\n\r\n\r\n\r\n\r\n";

QStringList padded(QStringList cells, int size, const QString& with = QString()) {
    while (cells.size() < size)
        cells.append(with);
    return cells;
}

} // namespace

class TstScheduleFiles : public QObject {
    Q_OBJECT

private slots:
    void firstStartWritesDefaults();
    void startUpLoadsHolidayFile_data();
    void startUpLoadsHolidayFile();
    void startUpLoadsScheduleFile_data();
    void startUpLoadsScheduleFile();
    void dialogRequests_data();
    void dialogRequests();
    void scheduleRoundTrip();
    void holidayRoundTrip();
    void loadedHolidayFileClearsPlaces();
    void cancelledSaveStillStores();
    void cancelledLoadStillRedraws();
    void fileErrors_data();
    void fileErrors();
};

void TstScheduleFiles::firstStartWritesDefaults() {
    Bench b;
    b.startUp();

    QCOMPARE(fileBytes(b.path("Prazdn.txt")), DefaultHolidayBytes);
    const QByteArray schedule = fileBytes(b.path("TarRas.txt"));
    QCOMPARE(schedule.count("\r\n"), 108);
    QCOMPARE(schedule, defaultScheduleBytes());
    QCOMPARE(QDir(b.folder()).entryList(QDir::Files), QStringList({"Prazdn.txt", "TarRas.txt"}));

    QCOMPARE(b.places(), padded({"01.01", "02.01", "23.02", "08.03", "01.05", "02.05", "09.05",
                                 "12.06", "05.10", "07.11", "12.12"},
                                16));
    for (int row = 1; row <= 8; ++row)
        QCOMPARE(b.scheduleRow(row), padded({"07:00", "1", "22:00", "2"}, 16));
}

void TstScheduleFiles::startUpLoadsHolidayFile_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("places");
    QTest::newRow("sixteen lines")
        << QByteArray("01.01\r\n*\r\n\r\n04.04\r\n05.05\r\n06.06\r\n07.07\r\n08.08\r\n"
                      "09.09\r\n10.10\r\n11.11\r\n12.12\r\n13.13\r\n14.14\r\n15.15\r\n16.16\r\n")
        << QStringList({"01.01", "*", "", "04.04", "05.05", "06.06", "07.07", "08.08", "09.09",
                        "10.10", "11.11", "12.12", "13.13", "14.14", "15.15", "16.16"});
    QTest::newRow("short file, mixed line ends")
        << QByteArray("01.01\n02.02\r03.03") << padded({"01.01", "02.02", "03.03"}, 16);
    QTest::newRow("empty file") << QByteArray() << padded({}, 16);
    QTest::newRow("cp1251 text") << hex("CFF0E0E7E4EDE8EA0D0A") << padded({"Праздник"}, 16);
}

void TstScheduleFiles::startUpLoadsHolidayFile() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, places);
    Bench b;
    writeBytes(b.path("Prazdn.txt"), file);

    startUpHolidays(b.holidays, b.folder());

    QCOMPARE(b.places(), places);
    QCOMPARE(fileBytes(b.path("Prazdn.txt")), file);
}

void TstScheduleFiles::startUpLoadsScheduleFile_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QStringList>("sunday");  // grid row of January's Sunday
    QTest::addColumn<QStringList>("holiday"); // grid row of January's holidays

    QByteArray full = defaultScheduleBytes();
    full.replace("\xC2\xF1 07:00 1 22:00 2", "\xC2\xF1 06:30 3");
    QTest::newRow("108 lines") << full << 108 << padded({"06:30", "3"}, 16)
                               << padded({"07:00", "1", "22:00", "2"}, 16);
    QTest::newRow("five lines") << defaultScheduleBytes().left(
                                       defaultScheduleBytes().indexOf("\xD7\xF2")) // up to Thursday
                                << 5 << padded({"07:00", "1", "22:00", "2"}, 16) << padded({}, 16);
}

void TstScheduleFiles::startUpLoadsScheduleFile() {
    QFETCH(QByteArray, file);
    QFETCH(int, lines);
    QFETCH(QStringList, sunday);
    QFETCH(QStringList, holiday);
    Bench b;
    writeBytes(b.path("TarRas.txt"), file);

    startUpSchedule(b.schedule, b.folder());
    b.schedule.layoutGrid();

    QCOMPARE(b.schedule.TarRas.size(), lines);
    QCOMPARE(b.scheduleRow(1), sunday);
    QCOMPARE(b.scheduleRow(8), holiday);
    QCOMPARE(fileBytes(b.path("TarRas.txt")), file);
}

void TstScheduleFiles::dialogRequests_data() {
    QTest::addColumn<int>("operation");
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("fileName");
    const QString schedule = QStringLiteral("Файл тарифного расписания(*.txt)|*.TXT");
    const QString holidays = QStringLiteral("Файл праздничных дней(*.txt)|*.TXT");
    QTest::newRow("save schedule") << 0 << true << schedule << "TarRas.txt";
    QTest::newRow("load schedule") << 1 << false << schedule << "TarRas.txt";
    QTest::newRow("save holidays") << 2 << true << holidays << "Prazdn.txt";
    QTest::newRow("load holidays") << 3 << false << holidays << "Prazdn.txt";
}

void TstScheduleFiles::dialogRequests() {
    QFETCH(int, operation);
    QFETCH(bool, save);
    QFETCH(QString, filter);
    QFETCH(QString, fileName);
    Bench b;
    b.fileOperation(operation);
    QCOMPARE(int(b.dialogs.fileCalls.size()), 1);
    const ScriptedDialogs::FileCall& call = b.dialogs.fileCalls[0];
    QCOMPARE(call.kind, save ? ScriptedDialogs::FileKind::Save : ScriptedDialogs::FileKind::Open);
    QCOMPARE(call.request.folder, b.folder());
    QCOMPARE(call.request.filter, filter);
    QCOMPARE(call.request.fileName, fileName);
}

void TstScheduleFiles::scheduleRoundTrip() {
    Bench b;
    b.startUp();
    b.schedule.TarRas[9 * 3 + 4] = QStringLiteral("Ср 05:00 4");
    // An edit the grid holds but the model does not yet: saving takes it in first.
    b.scheduleGrid()->setCell(4, 3, QStringLiteral("3"));
    const QString chosen = b.path("chosen.txt");
    b.dialogs.queueFileAnswer(chosen);

    saveScheduleFile(b.schedule, b.dialogs, b.folder());

    QCOMPARE(b.schedule.TarRas[3], QStringLiteral("Вт 07:00 1 22:00 3"));
    QList<QByteArray> lines = defaultScheduleBytes().split('\n');
    lines[3] = "\xC2\xF2 07:00 1 22:00 3\r";
    lines[9 * 3 + 4] = "\xD1\xF0 05:00 4\r";
    const QByteArray expected = lines.join('\n');
    QCOMPARE(fileBytes(chosen), expected);
    QCOMPARE(fileBytes(b.path("TarRas.txt")), defaultScheduleBytes());

    Bench other;
    other.startUp();
    other.schedule.findChild<QComboBox*>(QStringLiteral("ComboBox6"))->setCurrentIndex(3);
    other.dialogs.queueFileAnswer(chosen);
    loadScheduleFile(other.schedule, other.dialogs, other.folder());
    QCOMPARE(other.schedule.TarRas, b.schedule.TarRas);
    QCOMPARE(other.scheduleRow(4), padded({"05:00", "4"}, 16));
}

void TstScheduleFiles::holidayRoundTrip() {
    Bench b;
    b.startUp();
    b.setPlace(12, QStringLiteral("04.11"));
    b.setPlace(1, QStringLiteral("*"));
    b.setPlace(9, QStringLiteral("как есть"));
    const QString chosen = b.path("chosen.txt");
    b.dialogs.queueFileAnswer(chosen);

    saveHolidayFile(b.holidays, b.dialogs, b.folder());

    QByteArray expected = DefaultHolidayBytes;
    expected.replace("01.01\r\n", "*\r\n");
    expected.replace("05.10\r\n", hex("EAE0EA20E5F1F2FC") + "\r\n");
    expected.replace("12.12\r\n\r\n", "12.12\r\n04.11\r\n");
    QCOMPARE(fileBytes(chosen), expected);
    QCOMPARE(fileBytes(b.path("Prazdn.txt")), DefaultHolidayBytes);

    Bench other;
    other.startUp();
    other.dialogs.queueFileAnswer(chosen);
    loadHolidayFile(other.holidays, other.dialogs, other.folder());
    QCOMPARE(other.places(), b.places());
    QCOMPARE(other.holidays.Prazdn, b.holidays.Prazdn);
}

void TstScheduleFiles::loadedHolidayFileClearsPlaces() {
    Bench b;
    b.startUp();
    for (int place = 1; place <= 16; ++place)
        b.setPlace(place, QStringLiteral("01.01"));
    const QString chosen = b.path("short.txt");
    writeBytes(chosen, "02.02\r\n03.03\r\n04.04\r\n05.05\r\n06.06\r\n07.07\r\n08.08\r\n09.09\r\n"
                       "10.10\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
    b.dialogs.queueFileAnswer(chosen);

    loadHolidayFile(b.holidays, b.dialogs, b.folder());

    QCOMPARE(b.places(), padded({"02.02", "03.03", "04.04", "05.05", "06.06", "07.07", "08.08",
                                 "09.09", "10.10"},
                                16));
}

void TstScheduleFiles::cancelledSaveStillStores() {
    Bench b;
    b.startUp();
    b.scheduleGrid()->setCell(1, 2, QStringLiteral("06:45"));
    b.setPlace(13, QStringLiteral("13.03"));

    saveScheduleFile(b.schedule, b.dialogs, b.folder());
    saveHolidayFile(b.holidays, b.dialogs, b.folder());

    QCOMPARE(int(b.dialogs.fileCalls.size()), 2);
    QCOMPARE(b.schedule.TarRas[2], QStringLiteral("Пн 06:45 1 22:00 2"));
    QCOMPARE(b.holidays.Prazdn[12], QStringLiteral("13.03"));
    QCOMPARE(QDir(b.folder()).entryList(QDir::Files), QStringList({"Prazdn.txt", "TarRas.txt"}));
    QCOMPARE(fileBytes(b.path("TarRas.txt")), defaultScheduleBytes());
    QCOMPARE(fileBytes(b.path("Prazdn.txt")), DefaultHolidayBytes);
}

void TstScheduleFiles::cancelledLoadStillRedraws() {
    Bench b;
    b.startUp();
    b.schedule.TarRas[1] = QStringLiteral("Вс 09:00 2");
    b.scheduleGrid()->setCell(3, 2, QStringLiteral("12:00"));
    b.holidays.Prazdn[15] = QStringLiteral("31.12");
    b.setPlace(1, QStringLiteral("02.02"));
    const QStringList model = b.schedule.TarRas;

    loadScheduleFile(b.schedule, b.dialogs, b.folder());
    loadHolidayFile(b.holidays, b.dialogs, b.folder());

    QCOMPARE(int(b.dialogs.fileCalls.size()), 2);
    QCOMPARE(b.schedule.TarRas, model);
    QCOMPARE(b.scheduleRow(1), padded({"09:00", "2"}, 16));
    QCOMPARE(b.scheduleRow(2), padded({"07:00", "1", "22:00", "2"}, 16));
    QCOMPARE(b.places(), padded({"01.01", "02.01", "23.02", "08.03", "01.05", "02.05", "09.05",
                                 "12.06", "05.10", "07.11", "12.12", "", "", "", "", "31.12"},
                                16));
}

void TstScheduleFiles::fileErrors_data() {
    QTest::addColumn<int>("operation");
    QTest::addColumn<QString>("chosen"); // relative to the program folder
    QTest::addColumn<QString>("message");
    QTest::newRow("save schedule into a file") << 0 << "plain.txt/TarRas.txt"
                                               << "Cannot create file %1";
    QTest::newRow("save holidays into a file") << 2 << "plain.txt/Prazdn.txt"
                                               << "Cannot create file %1";
    QTest::newRow("load schedule, missing") << 1 << "missing.txt"
                                            << "Cannot open file %1";
    QTest::newRow("load holidays, missing") << 3 << "missing.txt"
                                            << "Cannot open file %1";
    QTest::newRow("load a folder") << 1 << "folder"
                                   << "Cannot open file %1";
    QTest::newRow("start-up, folder inside a file") << 4 << "plain.txt/Prazdn.txt"
                                                    << "Cannot create file %1";
}

void TstScheduleFiles::fileErrors() {
    QFETCH(int, operation);
    QFETCH(QString, chosen);
    QFETCH(QString, message);
    Bench b;
    b.startUp();
    writeBytes(b.path("plain.txt"), "not a folder\r\n");
    QVERIFY(QDir(b.folder()).mkdir(QStringLiteral("folder")));
    const QString path = b.path(chosen);
    b.dialogs.queueFileAnswer(path);
    const QStringList model = b.schedule.TarRas;
    const QStringList list = b.holidays.Prazdn;

    try {
        if (operation < 4)
            b.fileOperation(operation);
        else // start-up with a program folder that cannot hold the file
            startUpHolidays(b.holidays, b.path(QStringLiteral("plain.txt/")));
        QFAIL("no FileError");
    } catch (const FileError& error) {
        QCOMPARE(error.message(), message.arg(QDir::toNativeSeparators(path)));
    }
    QCOMPARE(b.schedule.TarRas, model);
    QCOMPARE(b.holidays.Prazdn, list);
    QVERIFY(!QFile::exists(b.path(QStringLiteral("missing.txt"))));
}

QTEST_MAIN(TstScheduleFiles)
#include "tst_schedule_files.moc"

#include "base/cp1251.h"
#include "base/error.h"
#include "params/access_page.h"
#include "params/connection_page.h"
#include "params/holiday_page.h"
#include "params/schedule_page.h"
#include "params/time_page.h"
#include "widgets/page_control.h"
#include "widgets/spin_edit.h"
#include "widgets/string_grid.h"
#include "window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace orvital;
using test::Window;

class TestMainForm : public QObject {
    Q_OBJECT

private slots:
    void firstStart() {
        Window w;
        auto& form = w.start();
        QVERIFY(w.errors().isEmpty());
        QCOMPARE(form.windowTitle(), QStringLiteral("Конфигуратор счётчика Орвиталь 513"));
        QCOMPARE(form.MeterType, 513);
        QCOMPARE(form.PageControl1->activePageIndex(), 0);
        QCOMPARE(form.size(), QSize(525, 457));
        QVERIFY(form.BitBtn1->isEnabled() && form.BitBtn2->isEnabled());
        QVERIFY(!form.SpeedButton1->isEnabled() && !form.SpeedButton2->isEnabled());
        QCOMPARE(form.BitBtn1->toolTip(), QStringLiteral("Чтение из счётчика"));
        QCOMPARE(form.BitBtn2->toolTip(), QStringLiteral("Запись в счётчик"));
        QCOMPARE(form.SpeedButton1->toolTip(), QStringLiteral("Загрузка из файла"));
        QCOMPARE(form.SpeedButton2->toolTip(), QStringLiteral("Сохранение в файл"));
        QCOMPARE(form.Label44->text(), QStringLiteral("Beta версия, для тестирования"));
        QCOMPARE(form.statusPanel0->width(), 166);
        QCOMPARE(form.statusPanel1->width(), 150);
        // Port from the command line, speed and echo from the (missing) settings file.
        QCOMPARE(form.TabSheet7->ComboBox3->currentText(), QStringLiteral("virtual"));
        QCOMPARE(form.TabSheet7->ComboBox4->currentText(), QStringLiteral("600"));
        QCOMPARE(form.TabSheet7->SpeedIndex, 1);
        QVERIFY(!form.TabSheet7->CheckBox16->isChecked());
        QVERIFY(w.port.isOpen());
        QCOMPARE(w.port.baudRate(), 600);
        QCOMPARE(w.port.dtrChanges(), std::vector<bool>({false, true}));
        // The settings file is created with its defaults; the port settings only at shut-down.
        QVERIFY(w.readFile(QStringLiteral("Nastr.txt"))
                    .startsWith(cp1251::encode(QStringLiteral(
                        "[Настройки программы]\r\nТип счётчика=513\r\n[Импульсный выход и "
                        "лимиты]\r\nФункция выхода=0\r\n"))));
        QVERIFY(!QFile::exists(QDir(w.configFolder()).filePath(QStringLiteral("Brenvik.ini"))));
        // Clock page filled from the PC clock; the PC clock labels wait for the first tick.
        QCOMPARE(form.TabSheet8->SpinEdit2->value(), 2026);
        QCOMPARE(form.TabSheet8->Label7->text(), QStringLiteral("Часы"));
        form.Timer1Timer();
        QCOMPARE(form.TabSheet8->Label7->text(), QStringLiteral("10"));
        QCOMPARE(form.TabSheet8->Label5->text(), QStringLiteral("0"));
    }

    void fifteenPagesInOrder() {
        Window w;
        auto& form = w.start();
        const char* names[] = {"TabSheet7",  "ControlPanel", "TabSheet8",  "TabSheet5",
                               "TabSheet1",  "TabSheet10",   "TabSheet9",  "TabSheet11",
                               "TabSheet6",  "TabSheet3",    "TabSheet13", "TabSheet12",
                               "TabSheet14", "TabSheet2",    "TabSheet15"};
        QCOMPARE(form.PageControl1->count(), 15);
        for (int i = 0; i < 15; ++i)
            QCOMPARE(form.PageControl1->page(i)->objectName(), QString::fromLatin1(names[i]));
        // The pages the window works with are the ones the operator sees.
        const std::pair<int, QWidget*> built[] = {{0, form.TabSheet7},
                                                  {1, form.ControlPanel},
                                                  {2, form.TabSheet8},
                                                  {4, form.TabSheet1},
                                                  {5, form.TabSheet10}};
        for (auto [index, page] : built)
            QCOMPARE(form.PageControl1->page(index), page);
    }

    void captions() {
        Window w;
        auto& form = w.start();
        const QStringList tabs = {"Связь",
                                  "Доступ",
                                  "Время",
                                  "Показания",
                                  "Тарифное расписание",
                                  "Праздники",
                                  "Импульсный выход и лимиты",
                                  "Циклическая индикация",
                                  "Управление тарифами",
                                  "Сервис",
                                  "Максимумы",
                                  "Журнал событий",
                                  "Профиль мощности",
                                  "Отчёт",
                                  "Отчёт по профилю мощности"};
        for (int i = 0; i < tabs.size(); ++i)
            QCOMPARE(form.PageControl1->tabButton(i)->text(), tabs[i]);

        auto texts = [](QWidget* page) {
            QStringList all;
            for (auto* label : page->findChildren<QLabel*>())
                all << label->text();
            for (auto* box : page->findChildren<QAbstractButton*>())
                all << box->text();
            for (auto* group : page->findChildren<QGroupBox*>())
                all << group->title();
            return all;
        };
        const QStringList connection = texts(form.TabSheet7);
        for (const char* text :
             {"Настройка связи", "Номер порта", "Скорость обмена", "Тайм-аут", "Эхо"})
            QVERIFY2(connection.contains(QString::fromUtf8(text)), text);
        QCOMPARE(form.TabSheet7->CheckBox16->toolTip(),
                 QStringLiteral("Галочка должна отсутствовать при обмене по IrDA"));
        QCOMPARE(form.TabSheet7->ComboBox3->count(), 8);
        QCOMPARE(form.TabSheet7->ComboBox3->itemText(0), QStringLiteral("COM1"));
        const QStringList access = texts(form.ControlPanel);
        for (const char* text :
             {"Сетевой адрес", "Текущий адрес", "Новый адрес", "Изменить сетевой адрес",
              "Груповой адрес", "Текущий груповой адрес", "Изменить групповой адрес"})
            QVERIFY2(access.contains(QString::fromUtf8(text)), text);
    }

    // A serial layer that opens nothing and says nothing: the port-change handler must then warn.
    void portThatStaysClosedIsWarnedAbout() {
        struct QuietPort final : SerialPort {
            void open(const QString&) override {}
            void close() override {}
            bool isOpen() const override { return false; }
            void setBaudRate(int) override {}
            int write(const std::uint8_t*, int) override { return -1; }
            int read(std::uint8_t*, int) override { return 0; }
            int inputCount() override { return -1; }
            int outputCount() override { return -1; }
            int drainOutput(int) override { return -1; }
            void purgeInput() override {}
            void purgeOutput() override {}
            void setDtr(bool) override {}
            void setEventCharHandler(std::function<void()>) override {}
        } port;
        Window w;
        TMainForm form(AppContext{w.folder.path(), w.configFolder(), port, w.clock, w.dialogs, {}});
        QVERIFY(w.dialogs.boxes.empty());
        form.TabSheet7->ComboBox3->setCurrentIndex(2);
        QCOMPARE(w.dialogs.boxes.size(), size_t(1));
        QCOMPARE(w.dialogs.boxes[0].kind, ScriptedDialogs::BoxKind::Warning);
        QCOMPARE(w.dialogs.boxes[0].text, QStringLiteral("Порт не существует или занят!"));
    }

    void meterTypeFromSettingsFile_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("type");
        QTest::newRow("512") << QByteArray("512") << 512;
        QTest::newRow("any other number") << QByteArray("7") << 512;
        QTest::newRow("513") << QByteArray("513") << 513;
        QTest::newRow("not a number") << QByteArray("abc") << 513;
    }
    void meterTypeFromSettingsFile() {
        QFETCH(QByteArray, value);
        QFETCH(int, type);
        Window w;
        w.writeFile(QStringLiteral("Nastr.txt"),
                    cp1251::encode(QStringLiteral("[Настройки программы]\r\nТип счётчика=")) +
                        value + "\r\n");
        auto& form = w.start();
        QCOMPARE(form.MeterType, type);
        QCOMPARE(form.windowTitle(), QStringLiteral("Конфигуратор счётчика Орвиталь %1").arg(type));
    }

    void headerButtonsFollowThePage_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("enabled"); // read, write, load, save
        const char* rows[] = {"1100", "1100", "1100", "1000", "1111", "1111", "1111", "1111",
                              "1101", "1011", "1100", "1000", "1000", "0001", "0001"};
        for (int i = 0; i < 15; ++i)
            QTest::addRow("page %d", i) << i << QString::fromLatin1(rows[i]);
    }
    void headerButtonsFollowThePage() {
        QFETCH(int, page);
        QFETCH(QString, enabled);
        Window w;
        auto& form = w.start();
        // Come from a page with the opposite pattern where there is one, so each state changes.
        w.showPage(page == 13 ? 4 : 13);
        w.showPage(page);
        const QString got = QString::number(form.BitBtn1->isEnabled()) +
                            QString::number(form.BitBtn2->isEnabled()) +
                            QString::number(form.SpeedButton1->isEnabled()) +
                            QString::number(form.SpeedButton2->isEnabled());
        QCOMPARE(got, enabled);
    }

    void connectionPageReadAndWrite() {
        Window w;
        auto& form = w.start();
        w.meter.setTimeoutSetting(0x0F);
        form.BitBtn1Click();
        QCOMPARE(form.TabSheet7->SpinEdit14->value(), 15); // off the step of 5, as read
        form.TabSheet7->SpinEdit14->setValue(25);
        form.BitBtn2Click();
        QCOMPARE(w.meter.timeoutSetting(), 25);
        QCOMPARE(w.requests(), QStringList({"00 00 00 00 82", "00 00 00 00 75 19"}));
        QCOMPARE(w.status(), QStringLiteral("Обмен состоялся"));
    }

    void accessPageWrite_data() {
        QTest::addColumn<bool>("network");
        QTest::addColumn<bool>("group");
        QTest::addColumn<QStringList>("sent");
        const QString net = QStringLiteral("00 00 00 00 00 00 00 30 39");
        const QString grp = QStringLiteral("00 00 00 00 01 ff ff ff fe");
        QTest::newRow("neither") << false << false << QStringList();
        QTest::newRow("network") << true << false << QStringList{net};
        QTest::newRow("group") << false << true << QStringList{grp};
        QTest::newRow("both, network first") << true << true << QStringList{net, grp};
    }
    void accessPageWrite() {
        QFETCH(bool, network);
        QFETCH(bool, group);
        Window w;
        auto& form = w.start();
        w.showPage(1);
        form.ControlPanel->Edit7->setText(QStringLiteral("12345"));
        form.ControlPanel->Edit12->setText(QStringLiteral("-2"));
        form.ControlPanel->CheckBox18->setChecked(network);
        form.ControlPanel->CheckBox20->setChecked(group);
        form.BitBtn2Click();
        QTEST(w.requests(), "sent");
        // The current address is not changed by writing a new one.
        QCOMPARE(form.ControlPanel->Edit5->text(), QStringLiteral("0"));
    }

    void groupAddressRead() {
        Window w;
        auto& form = w.start();
        w.showPage(1);
        w.meter.setGroupAddress(-2); // FF FF FF FE on the line
        form.BitBtn1Click();
        QCOMPARE(form.ControlPanel->Edit12->text(), QStringLiteral("-2"));
        // A failed read leaves the field empty: it is emptied before the exchange.
        auto options = w.port.options();
        options.fault = VirtualMeterPort::Fault::Silent;
        w.port.setOptions(options);
        form.BitBtn1Click();
        QCOMPARE(form.ControlPanel->Edit12->text(), QString());
        QCOMPARE(w.status(), QStringLiteral("Ошибка обмена 1!"));
    }

    void addressFieldsLoseOuterBlanks_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("trailing blank") << "12 "
                                        << "12";
        QTest::newRow("leading tab") << "\t7"
                                     << "7";
        QTest::newRow("inner blank stays") << "1 2"
                                           << "1 2";
        QTest::newRow("control characters") << QStringLiteral("\x01 5\x1f") << "5";
        QTest::newRow("only blanks") << "   "
                                     << "";
    }
    void addressFieldsLoseOuterBlanks() {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        Window w;
        auto& form = w.start();
        for (QLineEdit* edit :
             {form.ControlPanel->Edit5, form.ControlPanel->Edit7, form.ControlPanel->Edit12}) {
            edit->setText(typed);
            QCOMPARE(edit->text(), kept);
        }
        // Typing a blank at the end of the current address removes it at once.
        QLineEdit* edit5 = form.ControlPanel->Edit5;
        edit5->setText(QStringLiteral("42"));
        edit5->setCursorPosition(2);
        QTest::keyClick(edit5, Qt::Key_Space);
        QCOMPARE(edit5->text(), QStringLiteral("42"));
    }

    void addressFieldAddressesEveryExchange() {
        Window w;
        auto& form = w.start();
        form.ControlPanel->Edit5->setText(QStringLiteral("12345"));
        form.BitBtn1Click();
        QCOMPARE(w.requests(), QStringList{"00 00 30 39 82"});
        QCOMPARE(w.status(), QStringLiteral("Обмен состоялся"));
        form.ControlPanel->Edit5->setText(QStringLiteral("777")); // another meter: silence
        form.BitBtn1Click();
        QCOMPARE(w.status(), QStringLiteral("Ошибка обмена 1!"));
    }

    void timePageRunsItsHandlersInOrder() {
        Window w;
        auto& form = w.start();
        w.showPage(2);
        form.BitBtn1Click();
        QCOMPARE(w.requests(),
                 QStringList({"00 00 00 00 21", "00 00 00 00 25 00", "00 00 00 00 24 00"}));
        w.meter.clearRequests();
        form.BitBtn2Click();
        const QStringList sent = w.requests();
        QCOMPARE(sent.size(), 3);
        QVERIFY(sent[0].startsWith(QStringLiteral("00 00 00 00 02 ")));
        QCOMPARE(sent[1], QStringLiteral("00 00 00 00 06 00"));
        QCOMPARE(sent[2], QStringLiteral("00 00 00 00 05 00"));
    }

    void scheduleAndHolidayPagesAreWired() {
        Window w;
        auto& form = w.start();
        // First start in an empty folder: both default files, and the grids show them.
        QCOMPARE(w.readFile(QStringLiteral("Prazdn.txt")).count("\r\n"), 16);
        QCOMPARE(w.readFile(QStringLiteral("TarRas.txt")).count("\r\n"), 108);
        QCOMPARE(form.TabSheet10->StringGrid2->cell(1, 1), QStringLiteral("01.01"));
        QCOMPARE(form.TabSheet1->StringGrid1->cell(1, 1), QStringLiteral("07:00"));

        w.showPage(4);
        form.BitBtn1Click();
        QCOMPARE(w.meter.requests().size(), size_t(8));
        QCOMPARE(w.requests().front(), QStringLiteral("00 00 00 00 31 00"));
        w.meter.clearRequests();
        form.BitBtn2Click();
        QCOMPARE(w.requests().size(), 8);
        QVERIFY(w.requests().back().startsWith(QStringLiteral("00 00 00 00 11 07 00 62 00")));

        w.showPage(5);
        w.meter.clearRequests();
        form.BitBtn2Click();
        QCOMPARE(w.requests().front(), QStringLiteral("00 00 00 00 10 01 01 02 01 23 02 08 03 01 "
                                                      "05 02 05 09 05 12 06 00"));
        QCOMPARE(w.requests().size(), 2);

        // The header file buttons run the page's own file operations.
        const QString saved = w.path(QStringLiteral("holidays.txt"));
        w.dialogs.queueFileAnswer(saved);
        form.SpeedButton2->click();
        QCOMPARE(w.dialogs.fileCalls.back().request.fileName, QStringLiteral("Prazdn.txt"));
        QCOMPARE(w.readFile(QStringLiteral("holidays.txt")),
                 w.readFile(QStringLiteral("Prazdn.txt")));
        w.showPage(4);
        form.SpeedButton1->click(); // cancelled: nothing but the grid redrawn from the model
        QCOMPARE(w.dialogs.fileCalls.back().request.filter,
                 QStringLiteral("Файл тарифного расписания(*.txt)|*.TXT"));
        QVERIFY(w.errors().isEmpty());
    }

    void closedPortStopsThePageWideOperation() {
        Window w;
        auto& form = w.start();
        w.showPage(2);
        w.port.close();
        form.BitBtn1->click();
        QCOMPARE(w.errors(),
                 QStringList{"Port not open, unable to complete operation (Error: -1) "});
        QCOMPARE(w.status(), QStringLiteral("Посылка запроса..."));
        QVERIFY(w.meter.requests().empty());
    }

    void failedExchangeDoesNotStopThePage() {
        Window w;
        auto& form = w.start();
        w.showPage(2);
        auto options = w.port.options();
        options.fault = VirtualMeterPort::Fault::Silent;
        options.faultOnce = true;
        w.port.setOptions(options);
        form.BitBtn1->click();
        QCOMPARE(w.meter.requests().size(), size_t(3));
        QVERIFY(w.errors().isEmpty());
    }

    void errorInAPageSignalHandlerStopsThePageWideRead() {
        Window w;
        auto& form = w.start();
        w.meter.setClockTime(QDateTime(QDate(2025, 3, 14), QTime(9, 5, 3)));
        // A change handler of the page that fails while the clock read fills the year field.
        QObject::connect(form.TabSheet8->SpinEdit2, &SpinEdit::valueChanged, &form, [&form] {
            form.TabSheet8->ctx().run(
                [] { throw RangeError(QStringLiteral("Range check error")); });
        });
        w.showPage(2);
        form.BitBtn1->click();
        QCOMPARE(w.errors(), QStringList{"Range check error"});
        // The season and correction reads after the clock read do not run.
        QCOMPARE(w.requests(), QStringList{"00 00 00 00 21"});
    }

    void startUpWithAPortThatCannotOpen() {
        Window w;
        auto& form = w.start(QString()); // saved selection: COM2, not a device here
        QCOMPARE(w.errors(), QStringList{"Error accessing specified device (Error: 2) "});
        QVERIFY(!w.port.isOpen());
        // The steps before the port still ran; the window works with the port closed.
        QCOMPARE(form.TabSheet7->ComboBox3->currentText(), QStringLiteral("COM2"));
        QCOMPARE(form.TabSheet8->SpinEdit2->value(), 2026);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.BitBtn1->click();
        QCOMPARE(w.errors().size(), 2);
    }

    void choosingPortAndSpeed() {
        Window w;
        auto& form = w.start();
        QComboBox* port = form.TabSheet7->ComboBox3;
        port->setCurrentIndex(4); // chosen from the list: "COM5" does not exist
        QCOMPARE(w.errors(), QStringList{"Error accessing specified device (Error: 2) "});
        QVERIFY(!w.port.isOpen());
        port->setEditText(QStringLiteral("virtual")); // typed
        QVERIFY(w.port.isOpen());
        QCOMPARE(w.port.dtrChanges(), std::vector<bool>({false, true, false, true}));

        // Choosing 300 baud makes the next exchange wait with SpeedFactor 32.
        QComboBox* speed = form.TabSheet7->ComboBox4;
        speed->setCurrentIndex(0);
        emit speed->activated(0);
        QCOMPARE(form.TabSheet7->SpeedIndex, 0);
        QCOMPARE(w.port.baudRate(), 300);
        w.clock.clearSleeps();
        form.BitBtn1Click(); // 0x82: L = 8
        QCOMPARE(w.clock.sleeps().front(), (0 + 8 * 2) * 32 + 30);
        // The blank ninth entry is 57600 baud.
        speed->setCurrentIndex(8);
        emit speed->activated(8);
        QCOMPARE(w.port.baudRate(), 57600);
        QCOMPARE(form.TabSheet7->SpeedIndex, 8);
    }

    void shutDownWritesThePortSelections_data() {
        QTest::addColumn<QString>("override");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("command-line port: the index start-up read")
            << "virtual"
            << "" << QByteArray("[Options]\r\nPort=6\r\nSpeed=5\r\n");
        QTest::newRow("port chosen in the window")
            << "virtual"
            << "COM4" << QByteArray("[Options]\r\nPort=3\r\nSpeed=5\r\n");
        QTest::newRow("typed name outside the list")
            << "virtual"
            << "/dev/none" << QByteArray("[Options]\r\nPort=-1\r\nSpeed=5\r\n");
    }
    void shutDownWritesThePortSelections() {
        QFETCH(QString, override);
        QFETCH(QString, typed);
        QFETCH(QByteArray, file);
        Window w;
        w.writeFile(QStringLiteral("config/Brenvik.ini"),
                    "[Options]\r\nPort=6\r\nSpeed=5\r\n" +
                        cp1251::encode(QStringLiteral("Эхо=1\r\n")));
        auto& form = w.start(override);
        QVERIFY(form.TabSheet7->CheckBox16->isChecked());
        form.TabSheet7->CheckBox16->setChecked(false); // echo is never written back
        if (!typed.isEmpty())
            form.TabSheet7->ComboBox3->setEditText(typed);
        form.close();
        QCOMPARE(w.readFile(QStringLiteral("config/Brenvik.ini")),
                 file + cp1251::encode(QStringLiteral("Эхо=1\r\n")));
    }

    void startUpStoppedBeforeThePortKeepsTheSavedPort() {
        Window w;
        const QByteArray saved = "[Options]\r\nPort=5\r\nSpeed=5\r\n";
        w.writeFile(QStringLiteral("config/Brenvik.ini"), saved);
        QDir().mkpath(w.path(QStringLiteral("Prazdn.txt"))); // a folder: cannot be read
        auto& form = w.start();
        QCOMPARE(w.errors().size(), 1);
        QVERIFY(w.errors().front().startsWith(QStringLiteral("Cannot open file ")));
        QVERIFY(!w.port.isOpen());
        form.close();
        QCOMPARE(w.readFile(QStringLiteral("config/Brenvik.ini")), saved);
    }

    void storedIndexOutsideTheListLeavesSelectorsBlank() {
        Window w;
        w.writeFile(QStringLiteral("config/Brenvik.ini"), "[Options]\r\nPort=9\r\nSpeed=12\r\n");
        auto& form = w.start(QString());
        QCOMPARE(form.TabSheet7->ComboBox3->currentText(), QString());
        QCOMPARE(form.TabSheet7->ComboBox4->currentIndex(), -1);
        QCOMPARE(w.errors(), QStringList{"Error accessing specified device (Error: 2) "});
    }

    void keepsItsOuterSize() {
        Window w;
        auto& form = w.start();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.resize(800, 600);
        QCOMPARE(form.frameGeometry().size(), QSize(525, 457));
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_main_form.moc"

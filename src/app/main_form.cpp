#include "app/main_form.h"

#include "base/error.h"
#include "files/schedule_files.h"
#include "files/settings_file.h"
#include "link/clock.h"
#include "link/port_settings.h"
#include "link/serial_port.h"
#include "params/access_page.h"
#include "params/connection_page.h"
#include "params/holiday_page.h"
#include "params/schedule_page.h"
#include "params/time_page.h"
#include "widgets/dialogs.h"
#include "widgets/page_control.h"
#include "widgets/spin_edit.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace orvital {

namespace {

struct PageEntry {
    const char* name;
    const char* caption;
};

// The pages in page-index order: the index is what the header buttons dispatch on.
constexpr PageEntry Pages[TMainForm::PageCount] = {
    {"TabSheet7", "Связь"},
    {"ControlPanel", "Доступ"},
    {"TabSheet8", "Время"},
    {"TabSheet5", "Показания"},
    {"TabSheet1", "Тарифное расписание"},
    {"TabSheet10", "Праздники"},
    {"TabSheet9", "Импульсный выход и лимиты"},
    {"TabSheet11", "Циклическая индикация"},
    {"TabSheet6", "Управление тарифами"},
    {"TabSheet3", "Сервис"},
    {"TabSheet13", "Максимумы"},
    {"TabSheet12", "Журнал событий"},
    {"TabSheet14", "Профиль мощности"},
    {"TabSheet2", "Отчёт"},
    {"TabSheet15", "Отчёт по профилю мощности"},
};

struct HeaderEnabling {
    bool read, write, load, save;
};

// Which header buttons a page enables.
constexpr HeaderEnabling HeaderButtons[TMainForm::PageCount] = {
    {true, true, false, false},  // 0 Связь
    {true, true, false, false},  // 1 Доступ
    {true, true, false, false},  // 2 Время
    {true, false, false, false}, // 3 Показания
    {true, true, true, true},    // 4 Тарифное расписание
    {true, true, true, true},    // 5 Праздники
    {true, true, true, true},    // 6 Импульсный выход и лимиты
    {true, true, true, true},    // 7 Циклическая индикация
    {true, true, false, true},   // 8 Управление тарифами
    {true, false, true, true},   // 9 Сервис
    {true, true, false, false},  // 10 Максимумы
    {true, false, false, false}, // 11 Журнал событий
    {true, false, false, false}, // 12 Профиль мощности
    {false, false, false, true}, // 13 Отчёт
    {false, false, false, true}, // 14 Отчёт по профилю мощности
};

// The header pictures, drawn here so the program carries no foreign images.
QIcon drawIcon(const std::function<void(QPainter&)>& paint) {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    return QIcon(pixmap);
}

void drawArrow(QPainter& p, QPointF from, QPointF to, const QColor& color) {
    p.setPen(QPen(color, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF n(-d.y(), d.x());
    QPainterPath head;
    head.moveTo(to + d * 2);
    head.lineTo(to - d * 4 + n * 4);
    head.lineTo(to - d * 4 - n * 4);
    head.closeSubpath();
    p.fillPath(head, color);
}

void drawMeter(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1.2));
    p.setBrush(QColor(235, 235, 225));
    p.drawRoundedRect(QRectF(11.5, 2.5, 11, 19), 2, 2);
    p.setBrush(QColor(40, 80, 40));
    p.drawRect(QRectF(13.5, 5.5, 7, 4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(14.5, 12.5, 5, 5));
}

QIcon loadIcon() {
    return drawIcon([](QPainter& p) {
        p.setPen(QPen(QColor(120, 90, 20), 1.2));
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(QRectF(2.5, 8.5, 17, 12));
        p.drawRect(QRectF(2.5, 6.5, 7, 3));
        drawArrow(p, {16, 4}, {16, 14}, QColor(30, 110, 30));
    });
}

QIcon saveIcon() {
    return drawIcon([](QPainter& p) {
        p.setPen(QPen(QColor(20, 30, 80), 1.2));
        p.setBrush(QColor(60, 80, 170));
        p.drawRect(QRectF(3.5, 3.5, 17, 17));
        p.setBrush(QColor(230, 230, 230));
        p.drawRect(QRectF(6.5, 3.5, 11, 7));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(7.5, 13.5, 9, 7));
    });
}

QIcon readIcon() {
    return drawIcon([](QPainter& p) {
        drawMeter(p);
        drawArrow(p, {10, 12}, {2, 12}, QColor(30, 110, 30));
    });
}

QIcon writeIcon() {
    return drawIcon([](QPainter& p) {
        drawMeter(p);
        drawArrow(p, {1, 12}, {8, 12}, QColor(180, 40, 30));
    });
}

} // namespace

TMainForm::TMainForm(AppContext ctx, QWidget* parent)
    : QWidget(parent), link(ctx.port, ctx.clock),
      ctx_(std::move(ctx)), pageContext_{link, ctx_.clock, ctx_.dialogs,
                                         [this](const std::function<void()>& handler) {
                                             guarded(handler);
                                         }} {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Конфигуратор счётчика Орвиталь 512"));
    buildHeader();
    buildPages();
    buildStatusBar();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(Panel1);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(StatusBar1);
    setFixedSize(OuterWidth, OuterHeight);

    link.setWiring({[this] { return ControlPanel->Edit5->text(); },
                    [this] { return TabSheet7->SpinEdit14->value(); },
                    [this] { return TabSheet7->CheckBox16->isChecked(); },
                    [this] { return TabSheet7->SpeedIndex; },
                    [this](const QString& text) { setStatusText(text); }});
    ctx_.port.setEventCharHandler([this] { guarded([this] { link.Comm1RxFlag(); }); });
    buildDispatch();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1Timer(); }); });

    FormCreate();
    Timer1->start();
}

TMainForm::~TMainForm() {
    FormDestroy();
    ctx_.port.setEventCharHandler({});
}

void TMainForm::buildHeader() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(41);
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setAutoFillBackground(true);
    QPalette palette = Panel1->palette();
    palette.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    Panel1->setPalette(palette);

    auto makeToolButton = [this](const char* name, const QString& hint, const QIcon& icon) {
        auto* button = new QToolButton(Panel1);
        button->setObjectName(QString::fromLatin1(name));
        button->setToolTip(hint);
        button->setIcon(icon);
        button->setIconSize(QSize(24, 24));
        button->setAutoRaise(true);
        button->setFixedSize(33, 33);
        return button;
    };
    auto makeBitButton = [this](const char* name, const QString& hint, const QIcon& icon) {
        auto* button = new QPushButton(icon, QString(), Panel1);
        button->setObjectName(QString::fromLatin1(name));
        button->setToolTip(hint);
        button->setIconSize(QSize(24, 24));
        button->setFixedSize(41, 33);
        return button;
    };
    SpeedButton1 = makeToolButton("SpeedButton1", QStringLiteral("Загрузка из файла"), loadIcon());
    SpeedButton2 = makeToolButton("SpeedButton2", QStringLiteral("Сохранение в файл"), saveIcon());
    Label44 = new QLabel(QStringLiteral("Beta версия, для тестирования"), Panel1);
    Label44->setObjectName(QStringLiteral("Label44"));
    BitBtn1 = makeBitButton("BitBtn1", QStringLiteral("Чтение из счётчика"), readIcon());
    BitBtn2 = makeBitButton("BitBtn2", QStringLiteral("Запись в счётчик"), writeIcon());
    SpeedButton1->setEnabled(false);
    SpeedButton2->setEnabled(false);

    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(4, 2, 4, 2);
    row->addWidget(SpeedButton1);
    row->addWidget(SpeedButton2);
    row->addStretch();
    row->addWidget(Label44);
    row->addStretch();
    row->addWidget(BitBtn1);
    row->addWidget(BitBtn2);

    auto guardedClick = [this](QAbstractButton* button, void (TMainForm::*handler)()) {
        connect(button, &QAbstractButton::clicked, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    guardedClick(SpeedButton1, &TMainForm::SpeedButton1Click);
    guardedClick(SpeedButton2, &TMainForm::SpeedButton2Click);
    guardedClick(BitBtn1, &TMainForm::BitBtn1Click);
    guardedClick(BitBtn2, &TMainForm::BitBtn2Click);
}

void TMainForm::buildPages() {
    PageControl1 = new PageControl(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet7 = new ConnectionPage(pageContext_);
    ControlPanel = new AccessPage(pageContext_);
    TabSheet8 = new TimePage(pageContext_);
    TabSheet1 = new SchedulePage(pageContext_);
    TabSheet10 = new HolidayPage(pageContext_);
    // The built pages by index; the others stay empty until their groups are built.
    QWidget* const built[PageCount] = {TabSheet7, ControlPanel, TabSheet8,
                                       nullptr,   TabSheet1,    TabSheet10};
    for (int index = 0; index < PageCount; ++index) {
        QWidget* page = built[index];
        if (!page) {
            page = new QWidget;
            page->setObjectName(QString::fromLatin1(Pages[index].name));
        }
        Q_ASSERT(page->objectName() == QLatin1String(Pages[index].name));
        PageControl1->addPage(page, QString::fromUtf8(Pages[index].caption));
    }
    PageControl1->setActivePageIndex(0);
    connect(PageControl1, &PageControl::currentChanged, this,
            [this] { guarded([this] { PageControl1Change(); }); });

    connect(TabSheet7, &ConnectionPage::portTextEdited, this, [this] {
        portFromCommandLine_ = false;
        portSelectionKnown_ = true;
        guarded([this] { TabSheet7->ComboBox3Change(); });
    });
    connect(TabSheet7, &ConnectionPage::speedChosen, this, [this] {
        portSelectionKnown_ = true;
        guarded([this] { TabSheet7->ComboBox4Change(); });
    });
}

void TMainForm::buildStatusBar() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    statusPanel0 = new QLabel(StatusBar1);
    statusPanel0->setObjectName(QStringLiteral("StatusBar1_Panel0"));
    statusPanel0->setFixedWidth(166);
    statusPanel1 = new QLabel(StatusBar1);
    statusPanel1->setObjectName(QStringLiteral("StatusBar1_Panel1"));
    statusPanel1->setFixedWidth(150);
    for (QLabel* panel : {statusPanel0, statusPanel1})
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusBar1->addWidget(statusPanel0);
    StatusBar1->addWidget(statusPanel1);
}

void TMainForm::buildDispatch() {
    // Page-wide read, in order per page; a failed exchange does not stop the steps after it.
    readSteps_ = {
        {0, Only::Any, [this] { TabSheet7->Button75Click(); }},
        {1, Only::Any, [this] { ControlPanel->Button26Click(); }},
        {2, Only::Any, [this] { TabSheet8->Button7Click(); }},
        {2, Only::Any, [this] { TabSheet8->Button32Click(); }},
        {2, Only::Any, [this] { TabSheet8->Button9Click(); }},
        {4, Only::Any, [this] { TabSheet1->Button12Click(); }},
        {5, Only::Any, [this] { TabSheet10->Button4Click(); }},
    };
    // Page-wide write.
    writeSteps_ = {
        {0, Only::Any, [this] { TabSheet7->Button76Click(); }},
        {1, Only::Any, [this] { ControlPanel->Button6Click(); },
         [this] { return ControlPanel->CheckBox18->isChecked(); }},
        {1, Only::Any, [this] { ControlPanel->Button25Click(); },
         [this] { return ControlPanel->CheckBox20->isChecked(); }},
        {2, Only::Any, [this] { TabSheet8->Button8Click(); }},
        {2, Only::Any, [this] { TabSheet8->Button33Click(); }},
        {2, Only::Any, [this] { TabSheet8->Button10Click(); }},
        {4, Only::Any, [this] { TabSheet1->Button11Click(); }},
        {5, Only::Any, [this] { TabSheet10->Button13Click(); }},
    };
    fileSteps_ = {
        {4, [this] { loadScheduleFile(*TabSheet1, ctx_.dialogs, ctx_.programFolder); },
         [this] { saveScheduleFile(*TabSheet1, ctx_.dialogs, ctx_.programFolder); }},
        {5, [this] { loadHolidayFile(*TabSheet10, ctx_.dialogs, ctx_.programFolder); },
         [this] { saveHolidayFile(*TabSheet10, ctx_.dialogs, ctx_.programFolder); }},
    };
}

bool TMainForm::guarded(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const AppError& e) {
        ctx_.dialogs.showError(e.message());
    } catch (const std::exception& e) {
        ctx_.dialogs.showError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

void TMainForm::FormCreate() {
    // Steps in the order the program has always started in; an error shows its box, skips the
    // steps after it, and the window still opens (then with the port closed).
    guarded([this] {
        const QString folder = ctx_.programFolder;
        SettingsFile settings(
            QDir(folder).filePath(QString::fromLatin1(SettingsFile::DefaultName)));
        settings.createIfMissing();
        MeterType = settings.readMeterType();
        applyMeterType();
        startUpHolidays(*TabSheet10, folder);
        startUpSchedule(*TabSheet1, folder);
        TabSheet1->layoutGrid();
        TabSheet8->SetTime();
        TabSheet8->ComboBox8->setCurrentIndex(0);
        readPortSettings();
        TabSheet8->ComboBox1->setCurrentIndex(0);
        TabSheet7->openSelectedPort();
    });
}

void TMainForm::applyMeterType() {
    setWindowTitle(MeterType == 513 ? QStringLiteral("Конфигуратор счётчика Орвиталь 513")
                                    : QStringLiteral("Конфигуратор счётчика Орвиталь 512"));
}

void TMainForm::readPortSettings() {
    const auto values = PortSettings(ctx_.portSettingsFolder).read();
    startupPortIndex_ = values.portIndex;
    portSelectionKnown_ = true;
    const QSignalBlocker blockPort(TabSheet7->ComboBox3);
    const QSignalBlocker blockSpeed(TabSheet7->ComboBox4);
    auto select = [](QComboBox* box, int index) {
        box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
    };
    select(TabSheet7->ComboBox3, values.portIndex);
    select(TabSheet7->ComboBox4, values.speedIndex);
    if (TabSheet7->ComboBox3->currentIndex() < 0)
        TabSheet7->ComboBox3->setEditText(QString());
    TabSheet7->CheckBox16->setChecked(values.echo);
    if (!ctx_.portOverride.isEmpty()) {
        TabSheet7->ComboBox3->setEditText(ctx_.portOverride);
        portFromCommandLine_ = true;
    }
}

void TMainForm::runSteps(const std::vector<PageStep>& steps) {
    const int page = PageControl1->activePageIndex();
    for (const PageStep& step : steps) {
        if (step.page != page)
            continue;
        if ((step.only == Only::Type512 && MeterType == 513) ||
            (step.only == Only::Type513 && MeterType != 513))
            continue;
        if (step.when && !step.when())
            continue;
        step.run();
    }
}

void TMainForm::BitBtn1Click() {
    runSteps(readSteps_);
}

void TMainForm::BitBtn2Click() {
    runSteps(writeSteps_);
}

void TMainForm::SpeedButton1Click() {
    const int page = PageControl1->activePageIndex();
    for (const FileStep& step : fileSteps_)
        if (step.page == page)
            step.load();
}

void TMainForm::SpeedButton2Click() {
    const int page = PageControl1->activePageIndex();
    for (const FileStep& step : fileSteps_)
        if (step.page == page)
            step.save();
}

void TMainForm::PageControl1Change() {
    const int page = PageControl1->activePageIndex();
    if (page < 0 || page >= PageCount)
        return;
    const HeaderEnabling& e = HeaderButtons[page];
    BitBtn1->setEnabled(e.read);
    BitBtn2->setEnabled(e.write);
    SpeedButton1->setEnabled(e.load);
    SpeedButton2->setEnabled(e.save);
}

void TMainForm::Timer1Timer() {
    TabSheet8->showPcClock(ctx_.clock.localNow().time());
}

void TMainForm::setStatusText(const QString& text) {
    statusPanel0->setText(text);
    // The exchange blocks the event loop; a queued update would only show after it.
    statusPanel0->repaint();
}

void TMainForm::FormDestroy() {
    if (shutDown_)
        return;
    shutDown_ = true;
    if (!portSelectionKnown_)
        return;
    guarded([this] {
        const QComboBox* port = TabSheet7->ComboBox3;
        const int portIndex = portFromCommandLine_
                                  ? startupPortIndex_
                                  : port->findText(port->currentText(), Qt::MatchFixedString);
        PortSettings(ctx_.portSettingsFolder)
            .write(portIndex, TabSheet7->ComboBox4->currentIndex());
    });
}

void TMainForm::FormResize() {
    // The window keeps its outer size: the client area is what is left inside the frame.
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize client = QSize(OuterWidth, OuterHeight) - frame;
    if (client != size() || minimumSize() != client || maximumSize() != client)
        setFixedSize(client);
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormResize();
    if (!centred_) {
        centred_ = true;
        if (const QScreen* screen = this->screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible())
        FormResize();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    FormDestroy();
    event->accept();
}

} // namespace orvital

#include "app/main_form.h"

#include "app/page_table.h"
#include "base/error.h"
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

#include <algorithm>

namespace orvital {

namespace {

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
    for (const PageRow& row : pageTable()) {
        MeterPage* page = row.create ? row.create(pageContext_) : nullptr;
        pages_.push_back(page);
        QWidget* sheet = page;
        if (!sheet) {
            sheet = new QWidget;
            sheet->setObjectName(QString::fromLatin1(row.name));
        }
        Q_ASSERT(sheet->objectName() == QLatin1String(row.name));
        PageControl1->addPage(sheet, QString::fromUtf8(row.caption));
    }
    Q_ASSERT(pages_.size() == PageCount);
    TabSheet7 = page<ConnectionPage>();
    ControlPanel = page<AccessPage>();
    TabSheet8 = page<TimePage>();
    TabSheet1 = page<SchedulePage>();
    TabSheet10 = page<HolidayPage>();
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

bool TMainForm::guarded(const std::function<void()>& handler) {
    // Guards nest: a page's own signal handler runs under an inner guard that shows its box;
    // the count tells the outer run (a page-wide read or write) that an error stopped a
    // handler, so it stops there as well.
    const int errorsBefore = errorsShown_;
    try {
        handler();
    } catch (const AppError& e) {
        ++errorsShown_;
        ctx_.dialogs.showError(e.message());
    } catch (const std::exception& e) {
        ++errorsShown_;
        ctx_.dialogs.showError(QString::fromLocal8Bit(e.what()));
    }
    return errorsShown_ == errorsBefore;
}

void TMainForm::FormCreate() {
    // The window's own steps and the pages' steps, in the order the program has always started
    // in; an error shows its box, skips the steps after it, and the window still opens (then
    // with the port closed).
    struct Step {
        StartUp step;
        std::function<void()> run;
    };
    std::vector<Step> steps = {
        {StartUp::SettingsFile,
         [this] {
             SettingsFile settings(
                 QDir(ctx_.programFolder).filePath(QString::fromLatin1(SettingsFile::DefaultName)));
             settings.createIfMissing();
             MeterType = settings.readMeterType();
             pageContext_.meterType = MeterType;
         }},
        {StartUp::MeterType, [this] { applyMeterType(); }},
        {StartUp::PortSettings, [this] { readPortSettings(); }},
    };
    const FileContext files{ctx_.dialogs, ctx_.programFolder};
    const auto& table = pageTable();
    for (int index = 0; index < PageCount; ++index)
        for (const StartUpStep& step : table[index].startUp)
            steps.push_back(
                {step.step, [this, index, &step, files] { step.run(*pages_[index], files); }});
    std::stable_sort(steps.begin(), steps.end(),
                     [](const Step& a, const Step& b) { return a.step < b.step; });
    guarded([&steps] {
        for (const Step& step : steps)
            step.run();
    });
}

void TMainForm::applyMeterType() {
    setWindowTitle(MeterType == 513 ? QStringLiteral("Конфигуратор счётчика Орвиталь 513")
                                    : QStringLiteral("Конфигуратор счётчика Орвиталь 512"));
    for (MeterPage* page : pages_)
        if (page)
            page->applyMeterType();
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

MeterPage* TMainForm::activePage() const {
    const int index = PageControl1->activePageIndex();
    return index >= 0 && index < PageCount ? pages_[index] : nullptr;
}

void TMainForm::runSteps(const std::vector<PageStep>& steps) {
    // Each handler runs whatever the outcome of the exchange before it; an error stops the run.
    const int errorsBefore = errorsShown_;
    for (const PageStep& step : steps) {
        if (!step.runsFor(MeterType) || (step.when && !step.when()))
            continue;
        step.run();
        if (errorsShown_ != errorsBefore)
            return;
    }
}

void TMainForm::BitBtn1Click() {
    if (MeterPage* page = activePage())
        runSteps(page->readSteps());
}

void TMainForm::BitBtn2Click() {
    if (MeterPage* page = activePage())
        runSteps(page->writeSteps());
}

void TMainForm::runFileAction(const PageAction PageRow::*action) {
    MeterPage* page = activePage();
    const PageAction& run = pageTable()[PageControl1->activePageIndex()].*action;
    if (page && run)
        run(*page, FileContext{ctx_.dialogs, ctx_.programFolder});
}

void TMainForm::SpeedButton1Click() {
    runFileAction(&PageRow::load);
}

void TMainForm::SpeedButton2Click() {
    runFileAction(&PageRow::save);
}

void TMainForm::PageControl1Change() {
    const int page = PageControl1->activePageIndex();
    if (page < 0 || page >= PageCount)
        return;
    const HeaderEnabling& e = pageTable()[page].buttons;
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

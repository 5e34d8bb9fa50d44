#pragma once

#include "app/app_context.h"
#include "app/page_table.h"
#include "link/meter_link.h"
#include "params/meter_page.h"
#include "params/page_context.h"

#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QFrame;
class QPushButton;
class QStatusBar;
class QTimer;
class QToolButton;

namespace orvital {

class AccessPage;
class ConnectionPage;
class HolidayPage;
class PageControl;
class SchedulePage;
class TimePage;

// The one main window: header buttons, the fifteen pages, the status bar, the page-wide read and
// write, start-up and shut-down. Every UI entry point runs under one error guard.
class TMainForm : public QWidget {
    Q_OBJECT

public:
    static constexpr int OuterWidth = 525;
    static constexpr int OuterHeight = 457;
    static constexpr int PageCount = 15;
    // Task bar and message boxes; the window's own caption follows the meter type.
    static constexpr const char* ApplicationTitle = "Конфигуратор счётчика Орвиталь 512(3)";

    explicit TMainForm(AppContext ctx, QWidget* parent = nullptr);
    ~TMainForm() override;

    int MeterType = 513;
    MeterLink link;

    QFrame* Panel1;
    QToolButton* SpeedButton1; // load from file
    QToolButton* SpeedButton2; // save to file
    QLabel* Label44;
    QPushButton* BitBtn1; // page-wide read
    QPushButton* BitBtn2; // page-wide write
    PageControl* PageControl1;
    QStatusBar* StatusBar1;
    QLabel* statusPanel0;
    QLabel* statusPanel1;
    QTimer* Timer1;

    ConnectionPage* TabSheet7;
    AccessPage* ControlPanel;
    TimePage* TabSheet8;
    SchedulePage* TabSheet1;
    HolidayPage* TabSheet10;

    void BitBtn1Click();
    void BitBtn2Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void PageControl1Change();
    void Timer1Timer();
    void FormDestroy();

    // Runs a handler under the common error guard: an error stops it and shows the error box.
    // Returns false when an error was shown.
    bool guarded(const std::function<void()>& handler);

    const QString& programFolder() const { return ctx_.programFolder; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    // The page of a class, as the page table built it (nullptr when the table has none).
    template <class Page> Page* page() const {
        for (MeterPage* candidate : pages_)
            if (auto* found = qobject_cast<Page*>(candidate))
                return found;
        return nullptr;
    }
    // The page at a page index; nullptr for a tab sheet not built yet.
    MeterPage* pageAt(int index) const { return pages_.at(index); }

private:
    void buildHeader();
    void buildPages();
    void buildStatusBar();
    void FormCreate();
    void applyMeterType();
    void readPortSettings();
    void runSteps(const std::vector<PageStep>& steps);
    MeterPage* activePage() const;
    void runFileAction(const PageAction PageRow::*action);
    void FormResize();
    void setStatusText(const QString& text);

    AppContext ctx_;
    PageContext pageContext_;
    std::vector<MeterPage*> pages_;
    int errorsShown_ = 0;
    int startupPortIndex_ = -1;
    bool portFromCommandLine_ = false;
    // Shut-down writes the selections back only when they mean something: read at start-up or
    // chosen by the operator. A start-up stopped early must not overwrite the saved port.
    bool portSelectionKnown_ = false;
    bool shutDown_ = false;
    bool centred_ = false;
};

} // namespace orvital

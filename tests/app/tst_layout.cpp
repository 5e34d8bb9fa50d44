// Every page in the fixed-size window: no control may stick out of its page or be squeezed
// below the size it needs. With ORVITAL_SCREENSHOT_DIR set, each page is also saved as a PNG
// for a look by eye.
#include "widgets/page_control.h"
#include "window_fixture.h"

#include <QAbstractButton>
#include <QLabel>
#include <QtTest>

using namespace orvital;
using test::Window;

class TestLayout : public QObject {
    Q_OBJECT

private slots:
    void pagesFitTheWindow_data() {
        QTest::addColumn<int>("page");
        for (int i = 0; i < TMainForm::PageCount; ++i)
            QTest::addRow("page %d", i) << i;
    }
    void pagesFitTheWindow() {
        QFETCH(int, page);
        Window w;
        auto& form = w.start();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        w.showPage(page);
        QWidget* sheet = form.PageControl1->page(page);
        QVERIFY(sheet->isVisible());
        const QRect area = sheet->rect();
        for (QWidget* child : sheet->findChildren<QWidget*>()) {
            if (!child->isVisibleTo(sheet) || child->objectName().isEmpty() ||
                child->objectName().startsWith(QLatin1String("qt_")))
                continue;
            const QRect r(child->mapTo(sheet, QPoint(0, 0)), child->size());
            QVERIFY2(area.contains(r), qPrintable(child->objectName() + " sticks out"));
            const QSize need = child->minimumSizeHint();
            if (need.isValid() && !qobject_cast<QLabel*>(child))
                QVERIFY2(child->width() >= need.width() && child->height() >= need.height(),
                         qPrintable(child->objectName() + " is squeezed"));
        }
        const QByteArray dir = qgetenv("ORVITAL_SCREENSHOT_DIR");
        if (!dir.isEmpty())
            form.grab().save(QStringLiteral("%1/page%2.png")
                                 .arg(QString::fromLocal8Bit(dir))
                                 .arg(page, 2, 10, QLatin1Char('0')));
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"

#pragma once

#include "app/main_form.h"
#include "link/crc.h"
#include "link/test_clock.h"
#include "sim/virtual_meter.h"
#include "sim/virtual_meter_port.h"
#include "support/line_bytes.h"
#include "widgets/page_control.h"
#include "widgets/scripted_dialogs.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <memory>

namespace orvital::test {

// A whole main window on a temporary program folder, a test clock and the virtual meter.
struct Window {
    QTemporaryDir folder;
    TestClock clock{QDateTime(QDate(2026, 12, 11), QTime(10, 0, 0))};
    VirtualMeter meter{clock};
    VirtualMeterPort port{meter, clock};
    ScriptedDialogs dialogs;
    std::unique_ptr<TMainForm> form;

    QString path(const QString& name) const { return QDir(folder.path()).filePath(name); }
    QString configFolder() const { return path(QStringLiteral("config")); }

    // Files the test wants in place before start-up.
    void writeFile(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path(name)).absolutePath());
        QFile f(path(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
    QByteArray readFile(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    TMainForm& start(const QString& portOverride = QStringLiteral("virtual")) {
        form = std::make_unique<TMainForm>(
            AppContext{folder.path(), configFolder(), port, clock, dialogs, portOverride});
        return *form;
    }

    QStringList errors() const {
        QStringList texts;
        for (const auto& box : dialogs.boxes)
            if (box.kind == ScriptedDialogs::BoxKind::Error)
                texts << box.text;
        return texts;
    }
    QString status() const { return form->statusPanel0->text(); }
    void showPage(int index) { form->PageControl1->setActivePageIndex(index); }

    // Frames the meter received, as hex without the CRC (checked once here for all).
    QStringList requests() const {
        QStringList out;
        for (const auto& frame : meter.requests())
            out << (withCrc(frame.left(frame.size() - 2)) == frame
                        ? QString::fromLatin1(frame.left(frame.size() - 2).toHex(' '))
                        : QStringLiteral("bad crc"));
        return out;
    }
};

} // namespace orvital::test

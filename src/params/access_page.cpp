#include "params/access_page.h"

#include "link/frame.h"
#include "link/meter_link.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace orvital {

namespace {

QLineEdit* makeEdit(const char* name, const QString& text, QWidget* parent) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setFixedWidth(120);
    return edit;
}

QLabel* makeLabel(const char* name, const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace

AccessPage::AccessPage(PageContext& ctx, QWidget* parent) : MeterPage(ctx, parent) {
    setObjectName(QStringLiteral("ControlPanel"));

    GroupBox8 = new QGroupBox(QStringLiteral("Сетевой адрес"), this);
    GroupBox8->setObjectName(QStringLiteral("GroupBox8"));
    Edit5 = makeEdit("Edit5", QStringLiteral("0"), GroupBox8);
    Edit7 = makeEdit("Edit7", QString(), GroupBox8);
    CheckBox18 = new QCheckBox(QStringLiteral("Изменить сетевой адрес"), GroupBox8);
    CheckBox18->setObjectName(QStringLiteral("CheckBox18"));
    auto* grid8 = new QGridLayout(GroupBox8);
    grid8->addWidget(makeLabel("Label_Edit5", QStringLiteral("Текущий адрес"), GroupBox8), 0, 0);
    grid8->addWidget(Edit5, 0, 1);
    grid8->addWidget(makeLabel("Label_Edit7", QStringLiteral("Новый адрес"), GroupBox8), 1, 0);
    grid8->addWidget(Edit7, 1, 1);
    grid8->addWidget(CheckBox18, 2, 0, 1, 2);

    GroupBox9 = new QGroupBox(QStringLiteral("Груповой адрес"), this);
    GroupBox9->setObjectName(QStringLiteral("GroupBox9"));
    Edit12 = makeEdit("Edit12", QString(), GroupBox9);
    CheckBox20 = new QCheckBox(QStringLiteral("Изменить групповой адрес"), GroupBox9);
    CheckBox20->setObjectName(QStringLiteral("CheckBox20"));
    auto* grid9 = new QGridLayout(GroupBox9);
    grid9->addWidget(makeLabel("Label_Edit12", QStringLiteral("Текущий груповой адрес"), GroupBox9),
                     0, 0);
    grid9->addWidget(Edit12, 0, 1);
    grid9->addWidget(CheckBox20, 1, 0, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox8, 0, Qt::AlignLeft);
    layout->addWidget(GroupBox9, 0, Qt::AlignLeft);
    layout->addStretch();
    GroupBox9->setMinimumWidth(GroupBox8->sizeHint().width());
    GroupBox8->setMinimumWidth(GroupBox9->sizeHint().width());

    for (QLineEdit* edit : {Edit5, Edit7, Edit12})
        connect(edit, &QLineEdit::textChanged, edit,
                [this, edit] { ctx_.run([edit] { cleanUp(edit); }); });
}

void AccessPage::cleanUp(QLineEdit* edit) {
    const QString text = edit->text();
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= 32)
        ++first;
    while (last > first && text[last - 1].unicode() <= 32)
        --last;
    if (first == 0 && last == text.size())
        return;
    const int cursor = edit->cursorPosition();
    edit->setText(text.mid(first, last - first));
    edit->setCursorPosition(std::clamp<int>(cursor - int(first), 0, int(last - first)));
}

void AccessPage::writeAddress(std::uint8_t command, const QString& text) {
    auto& link = ctx_.link;
    const auto address = static_cast<std::uint32_t>(addressFromText(text));
    link.beginRequest(command);
    for (int i = 0; i < 4; ++i)
        link.TxBuf[5 + i] = static_cast<std::uint8_t>(address >> (24 - 8 * i));
    link.TxCount = 9;
    link.IssueCommand();
}

void AccessPage::Button6Click() {
    writeAddress(0x00, Edit7->text());
}

void AccessPage::Button25Click() {
    writeAddress(0x01, Edit12->text());
}

void AccessPage::Button26Click() {
    Edit12->clear();
    auto& link = ctx_.link;
    link.beginRequest(0x20);
    link.TxCount = 5;
    if (!link.IssueCommand())
        return;
    std::uint32_t value = 0;
    for (int i = 5; i <= 8; ++i)
        value = (value << 8) | link.RxBuf[i];
    Edit12->setText(QString::number(static_cast<std::int32_t>(value)));
}

std::vector<PageStep> AccessPage::readSteps() {
    return {
        {"Button26Click", MeterTypes::Both, [this] { Button26Click(); }},
    };
}

std::vector<PageStep> AccessPage::writeSteps() {
    return {
        {"Button6Click", MeterTypes::Both, [this] { Button6Click(); },
         [this] { return CheckBox18->isChecked(); }},
        {"Button25Click", MeterTypes::Both, [this] { Button25Click(); },
         [this] { return CheckBox20->isChecked(); }},
    };
}

} // namespace orvital

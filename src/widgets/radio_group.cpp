#include "widgets/radio_group.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

#include <algorithm>

namespace orvital {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), buttons_(new QButtonGroup(this)), layout_(new QGridLayout(this)) {
    buttons_->setExclusive(true);
    for (const QString& text : items) {
        auto* button = new QRadioButton(text, this);
        buttons_->addButton(button, int(items_.size()));
        items_.push_back(button);
        connect(button, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                noteChange();
        });
    }
    placeItems();
    nameItems();
    connect(this, &QObject::objectNameChanged, this, &RadioGroup::nameItems);
}

QRadioButton* RadioGroup::item(int index) const {
    if (index < 0 || index >= count())
        return nullptr;
    return items_[std::size_t(index)];
}

int RadioGroup::itemIndex() const {
    return buttons_->checkedId();
}

void RadioGroup::setItemIndex(int index) {
    if (items_.empty())
        return;
    updating_ = true;
    if (index < 0) {
        // An exclusive group refuses to uncheck its last checked button.
        buttons_->setExclusive(false);
        for (QRadioButton* button : items_)
            button->setChecked(false);
        buttons_->setExclusive(true);
    } else {
        items_[std::size_t(std::min(index, count() - 1))]->setChecked(true);
    }
    updating_ = false;
    noteChange();
}

void RadioGroup::setColumns(int columns) {
    columns_ = std::max(columns, 1);
    placeItems();
}

void RadioGroup::nameItems() {
    for (int i = 0; i < count(); ++i)
        items_[std::size_t(i)]->setObjectName(objectName() + QStringLiteral("_item") +
                                              QString::number(i));
}

void RadioGroup::placeItems() {
    for (QRadioButton* button : items_)
        layout_->removeWidget(button);
    const int perColumn = (count() + columns_ - 1) / std::max(columns_, 1);
    for (int i = 0; i < count(); ++i)
        layout_->addWidget(items_[std::size_t(i)], i % std::max(perColumn, 1),
                           i / std::max(perColumn, 1));
}

void RadioGroup::noteChange() {
    if (updating_)
        return;
    const int index = itemIndex();
    if (index != lastIndex_) {
        lastIndex_ = index;
        emit itemIndexChanged(index);
    }
}

} // namespace orvital

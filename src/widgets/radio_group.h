#pragma once

#include <QGroupBox>
#include <QStringList>

#include <vector>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

namespace orvital {

// A captioned group of radio items with one selected item or none. The item index runs from -1
// (none) to count() - 1; a larger index selects the last item, a negative one clears the
// selection, so a value read from a meter never leaves the group in a state it cannot show.
class RadioGroup : public QGroupBox {
    Q_OBJECT

public:
    RadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);

    int count() const { return int(items_.size()); }
    // Items are named "<group name>_item<i>", following the group's object name.
    QRadioButton* item(int index) const;
    int itemIndex() const;
    void setItemIndex(int index);
    // Items fill the columns top to bottom, then left to right.
    void setColumns(int columns);

signals:
    // The selected item changed, by the operator or by setItemIndex.
    void itemIndexChanged(int index);

private:
    void nameItems();
    void placeItems();
    void noteChange();

    std::vector<QRadioButton*> items_;
    QButtonGroup* buttons_;
    QGridLayout* layout_;
    int columns_ = 1;
    int lastIndex_ = -1;
    bool updating_ = false;
};

} // namespace orvital

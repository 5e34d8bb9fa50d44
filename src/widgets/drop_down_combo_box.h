#pragma once

#include <QComboBox>
#include <QKeyEvent>
#include <QWheelEvent>

#include <functional>

namespace orvital {

// A combo box that tells its page just before the list opens (the page stores what the old
// item showed) and tells apart the operator's choices from the program's own.
class DropDownComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit DropDownComboBox(QWidget* parent = nullptr) : QComboBox(parent) {
        connect(this, &QComboBox::activated, this, [this](int index) {
            if (index != indexBeforeUser_)
                emit userChanged(index);
            indexBeforeUser_ = index;
        });
    }

    void onDropDown(std::function<void()> handler) { onDropDown_ = std::move(handler); }

    void showPopup() override {
        if (onDropDown_)
            onDropDown_();
        indexBeforeUser_ = currentIndex();
        QComboBox::showPopup();
    }

signals:
    // The operator chose another item, with the mouse in the list or with the keyboard or wheel
    // on the closed box; never for setCurrentIndex.
    void userChanged(int index);

protected:
    // Each way the operator changes the item starts here or in showPopup; the index before it
    // tells a real change from choosing the item already shown.
    void keyPressEvent(QKeyEvent* event) override {
        indexBeforeUser_ = currentIndex();
        QComboBox::keyPressEvent(event);
    }
    void wheelEvent(QWheelEvent* event) override {
        indexBeforeUser_ = currentIndex();
        QComboBox::wheelEvent(event);
    }

private:
    std::function<void()> onDropDown_;
    int indexBeforeUser_ = -1;
};

} // namespace orvital

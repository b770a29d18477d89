#pragma once
// An IPv4 address field: four number fields of 0 to 255 separated by dots,
// in one frame. The caret moves on to the next field after three digits or
// a "." and between fields with the arrow keys and Backspace, as in the
// platform's address control.
#include <QFrame>

#include <cstdint>

class QLineEdit;

class CIPAddressCtrl : public QFrame {
public:
    static constexpr int kFields = 4;

    explicit CIPAddressCtrl(QWidget* parent = nullptr);

    // Shows the four numbers.
    void SetAddress(uint8_t n0, uint8_t n1, uint8_t n2, uint8_t n3);
    // The four numbers (0 for an empty field); returns how many fields are not empty.
    int GetAddress(uint8_t& n0, uint8_t& n1, uint8_t& n2, uint8_t& n3) const;
    // Field index's editor (0..3), for focus and tests.
    QLineEdit* Field(int index) const { return fields[index]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int indexOf(QObject* field) const;
    // Puts the caret into field index (0..3) at its start or end; ignored outside.
    void moveTo(int index, bool atEnd);
    // Caps a typed value at 255 and moves on after the third digit.
    void edited(int index);

    QLineEdit* fields[kFields];
};

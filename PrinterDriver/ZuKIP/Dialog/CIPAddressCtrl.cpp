#include "CIPAddressCtrl.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace {
constexpr int kMaxNumber = 255;
constexpr int kMaxDigits = 3;
}  // namespace

CIPAddressCtrl::CIPAddressCtrl(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(0);
    auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < kFields; ++i) {
        if (i > 0) layout->addWidget(new QLabel(QStringLiteral("."), this));
        fields[i] = new QLineEdit(this);
        fields[i]->setObjectName(QStringLiteral("field%1").arg(i));
        fields[i]->setFrame(false);
        fields[i]->setAlignment(Qt::AlignCenter);
        fields[i]->setValidator(digits);
        fields[i]->installEventFilter(this);
        // Tab enters the address at its first number and leaves it from any of them.
        if (i > 0) fields[i]->setFocusPolicy(Qt::ClickFocus);
        layout->addWidget(fields[i], 1);
        connect(fields[i], &QLineEdit::textEdited, this, [this, i] { edited(i); });
    }
}

void CIPAddressCtrl::SetAddress(uint8_t n0, uint8_t n1, uint8_t n2, uint8_t n3) {
    const uint8_t numbers[kFields] = {n0, n1, n2, n3};
    for (int i = 0; i < kFields; ++i) fields[i]->setText(QString::number(numbers[i]));
}

int CIPAddressCtrl::GetAddress(uint8_t& n0, uint8_t& n1, uint8_t& n2, uint8_t& n3) const {
    uint8_t* numbers[kFields] = {&n0, &n1, &n2, &n3};
    int filled = 0;
    for (int i = 0; i < kFields; ++i) {
        const QString text = fields[i]->text();
        *numbers[i] = static_cast<uint8_t>(text.isEmpty() ? 0 : std::min(text.toInt(), kMaxNumber));
        if (!text.isEmpty()) ++filled;
    }
    return filled;
}

bool CIPAddressCtrl::eventFilter(QObject* watched, QEvent* event) {
    const int index = indexOf(watched);
    if (index < 0 || event->type() != QEvent::KeyPress) return QFrame::eventFilter(watched, event);
    const QLineEdit* field = fields[index];
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool atStart = field->cursorPosition() == 0 && !field->hasSelectedText();
    const bool atEnd = field->cursorPosition() == field->text().size() && !field->hasSelectedText();
    switch (key->key()) {
    case Qt::Key_Period:
    case Qt::Key_Space:
        if (!field->text().isEmpty()) moveTo(index + 1, false);
        return true;
    case Qt::Key_Right:
        if (!atEnd || index + 1 >= kFields) break;
        moveTo(index + 1, false);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Backspace:
        if (!atStart || index == 0) break;
        moveTo(index - 1, true);
        return true;
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}

int CIPAddressCtrl::indexOf(QObject* field) const {
    for (int i = 0; i < kFields; ++i)
        if (fields[i] == field) return i;
    return -1;
}

void CIPAddressCtrl::moveTo(int index, bool atEnd) {
    if (index < 0 || index >= kFields) return;
    QLineEdit* field = fields[index];
    field->setFocus(Qt::OtherFocusReason);
    if (atEnd) field->setCursorPosition(field->text().size());
    else field->selectAll();
}

void CIPAddressCtrl::edited(int index) {
    QLineEdit* field = fields[index];
    if (field->text().toInt() > kMaxNumber) field->setText(QString::number(kMaxNumber));
    if (field->text().size() == kMaxDigits && field->cursorPosition() == kMaxDigits) moveTo(index + 1, false);
}

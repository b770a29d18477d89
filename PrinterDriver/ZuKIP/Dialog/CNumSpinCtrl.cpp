#include "CNumSpinCtrl.h"

#include "CNumEdit.h"

#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

// The platform's spin buttons count positions in a range and had to be kept
// away from its ends; these buttons only produce steps and have no ends.
CNumSpinCtrl::CNumSpinCtrl(QWidget* parent) : QWidget(parent), up(new QToolButton(this)), down(new QToolButton(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* button : {up, down}) {
        button->setArrowType(button == up ? Qt::UpArrow : Qt::DownArrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        layout->addWidget(button);
    }
    up->setObjectName(QStringLiteral("up"));
    down->setObjectName(QStringLiteral("down"));
    connect(up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down, &QToolButton::clicked, this, [this] { Step(-1); });
}

void CNumSpinCtrl::SetDelta(double delta) {
    if (CNumEdit* edit = numBuddy()) edit->SetDelta(delta);
}

double CNumSpinCtrl::GetDelta() const {
    const CNumEdit* edit = numBuddy();
    return edit ? edit->GetDelta() : 0.0;
}

void CNumSpinCtrl::SetBuddy(QWidget* edit) {
    if (buddy) buddy->removeEventFilter(this);
    buddy = edit;
    if (!buddy) return;
    buddy->installEventFilter(this);
    const QRect area = buddy->geometry();
    const int width = this->width();
    buddy->setGeometry(area.x(), area.y(), area.width() - width, area.height());
    setGeometry(area.right() + 1 - width, area.y(), width, area.height());
    if (CNumEdit* numEdit = numBuddy()) numEdit->SetValue(0.0);
}

void CNumSpinCtrl::GetRange(double& min, double& max) const {
    min = max = 0.0;
    if (const CNumEdit* edit = numBuddy()) edit->GetRange(min, max);
}

void CNumSpinCtrl::SetRange(double min, double max) {
    if (CNumEdit* edit = numBuddy()) edit->SetRange(min, max);
}

double CNumSpinCtrl::GetPos() const {
    CNumEdit* edit = numBuddy();
    return edit ? edit->GetValue() : 0.0;
}

void CNumSpinCtrl::SetPos(double value) {
    if (CNumEdit* edit = numBuddy()) edit->SetValue(value);
}

void CNumSpinCtrl::Step(int steps) {
    if (CNumEdit* edit = numBuddy()) edit->ChangeValue(steps);
}

bool CNumSpinCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == buddy && event->type() == QEvent::KeyPress && isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

CNumEdit* CNumSpinCtrl::numBuddy() const { return dynamic_cast<CNumEdit*>(buddy); }

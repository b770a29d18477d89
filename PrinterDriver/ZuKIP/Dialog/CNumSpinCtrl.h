#pragma once
// Up and down buttons for a CNumEdit, its buddy. The value lives in the
// buddy as a floating-point number; the buttons (and the Up and Down keys in
// the buddy) only step it. Placed at the buddy's right edge, which gives up
// the buttons' width.
#include <QWidget>

class CNumEdit;
class QToolButton;

class CNumSpinCtrl : public QWidget {
public:
    explicit CNumSpinCtrl(QWidget* parent = nullptr);

    virtual void SetDelta(double delta);
    virtual double GetDelta() const;                   // 0 without a CNumEdit buddy
    // Makes edit the buddy, aligns the buttons to its right edge and, for a CNumEdit, shows 0.
    virtual void SetBuddy(QWidget* edit);
    virtual QWidget* GetBuddy() const { return buddy; }
    virtual void GetRange(double& min, double& max) const;   // 0, 0 without a CNumEdit buddy
    virtual void SetRange(double min, double max);
    virtual double GetPos() const;                     // the buddy's value; 0 without a CNumEdit buddy
    virtual void SetPos(double value);

    // One step of the buttons: steps is +1 up, -1 down.
    void Step(int steps);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CNumEdit* numBuddy() const;

    QWidget* buddy = nullptr;
    QToolButton* up;
    QToolButton* down;
};

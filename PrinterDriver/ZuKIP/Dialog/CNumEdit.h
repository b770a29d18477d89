#pragma once
// An edit field that holds a floating-point value with a range, a step and a
// number of decimal places. The value is the field's text: typing that
// cannot become a number is refused, and leaving the field pulls a value
// outside the range back to the nearest limit.
#include <QLineEdit>
#include <QString>

class CNumEdit : public QLineEdit {
public:
    // Results of the checks.
    enum Status { kValid = 0, kAboveMaximum = 1, kNotANumber = 2, kIncomplete = 3, kBelowMinimum = 8 };

    explicit CNumEdit(QWidget* parent = nullptr);

    // value + steps * step, kept within the range, shown.
    virtual void ChangeValue(int steps);
    virtual double GetDelta() const { return step; }
    virtual void SetDelta(double delta) { step = delta; }
    virtual void GetRange(double& min, double& max) const;
    // No check that min <= max.
    virtual void SetRange(double min, double max);
    virtual void SetDecimalPlaces(unsigned char places) { decimalPlaces = places; }
    virtual bool GetVerbose() const { return verbose; }
    // Verbose fields report invalid input in message boxes.
    virtual void SetVerbose(bool on) { verbose = on; }
    // Status of text; reports it when verbose and not valid or incomplete.
    virtual int IsValidText(const QString& text);
    // Status of the field's text; reports it only when showMessages and verbose are both set.
    virtual int IsValid(bool showMessages);
    // kIncomplete, kValid or kNotANumber for the field's text; the range is not checked.
    virtual int CheckNumberSyntax() const;
    // Shows value formatted with GetFormatString; false (text unchanged) outside the range.
    virtual bool SetValue(double value);
    // The field's value, or the minimum when its text is not a valid value.
    virtual double GetValue();
    // "%.Nf" for N decimal places.
    virtual QString GetFormatString() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Status of text with this field's range; syntaxOnly stops before the range check.
    int check(const QString& text, bool syntaxOnly) const;
    void report(int status);

    unsigned char decimalPlaces = 0;
    bool verbose = false;
    double step;
    double minimum;
    double maximum;
};

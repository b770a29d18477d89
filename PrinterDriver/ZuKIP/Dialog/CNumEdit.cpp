#include "CNumEdit.h"

#include "ZuDrvUtl.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace {
constexpr unsigned kStopIcon = 0x10;
constexpr int kOutOfRangeString = 12000;
constexpr int kNotANumberString = 12001;
constexpr const char* kOutOfRangeText = "Given value is out of range. Min=%.2lf Max=%.2lf\n";
constexpr const char* kNotANumberText = "Characters must be a number.\n";
constexpr int kMessageSize = 256;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// Reads text as one decimal number with optional blanks before and after, as
// scanf's "%lf%s" reading exactly one item does, independent of the locale.
// Infinities and NaN are refused: no range check could hold them.
bool parseNumber(const std::string& text, double* value) {
    size_t begin = 0;
    while (begin < text.size() && isBlank(text[begin])) ++begin;
    bool negative = false;
    if (begin < text.size() && (text[begin] == '+' || text[begin] == '-')) negative = text[begin++] == '-';
    const char* first = text.data() + begin;
    const char* last = text.data() + text.size();
    double parsed = 0;
    const auto [end, error] = std::from_chars(first, last, parsed);
    if (error != std::errc() || !std::isfinite(parsed)) return false;
    for (const char* p = end; p < last; ++p)
        if (!isBlank(*p)) return false;
    *value = negative ? -parsed : parsed;
    return true;
}

// The table's text of string number, or fallback when the module has none.
std::string moduleString(int number, const char* fallback) {
    char text[kMessageSize] = {};
    return DrvLoadString(number, text, kMessageSize) > 0 ? std::string(text) : std::string(fallback);
}
}  // namespace

CNumEdit::CNumEdit(QWidget* parent)
    : QLineEdit(parent), step(FLT_ROUNDS), minimum(-FLT_MAX), maximum(FLT_MAX) {}

void CNumEdit::ChangeValue(int steps) {
    double value = GetValue() + steps * step;
    if (value > maximum) value = maximum;
    if (value < minimum) value = minimum;
    SetValue(value);
}

void CNumEdit::GetRange(double& min, double& max) const {
    min = minimum;
    max = maximum;
}

void CNumEdit::SetRange(double min, double max) {
    minimum = min;
    maximum = max;
}

int CNumEdit::IsValidText(const QString& text) {
    const int status = check(text, false);
    report(status);
    return status;
}

int CNumEdit::IsValid(bool showMessages) {
    const int status = check(text(), false);
    if (showMessages) report(status);
    return status;
}

int CNumEdit::CheckNumberSyntax() const { return check(text(), true); }

bool CNumEdit::SetValue(double value) {
    if (value > maximum || value < minimum) return false;
    char shown[kMessageSize];
    std::snprintf(shown, sizeof shown, GetFormatString().toLatin1().constData(), value);
    setText(QString::fromLatin1(shown));
    return true;
}

double CNumEdit::GetValue() {
    double value = 0;
    if (IsValid(false) != kValid || !parseNumber(text().toStdString(), &value)) return minimum;
    return value;
}

QString CNumEdit::GetFormatString() const { return QString::asprintf("%%.%df", decimalPlaces); }

void CNumEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    const bool character = typed.size() == 1 && typed.at(0).isPrint();
    if (!character || event->key() == Qt::Key_Backspace) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (typed == QStringLiteral(" ")) return;   // blanks are never inserted
    const double before = GetValue();
    QLineEdit::keyPressEvent(event);
    // Only the syntax is checked while typing; the range is checked when the field is left.
    if (CheckNumberSyntax() != kNotANumber) return;
    SetValue(before);
    selectAll();
    if (verbose) report(kNotANumber);
}

void CNumEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    const int status = IsValid(true);
    if (status == kAboveMaximum) SetValue(maximum);
    else if (status == kBelowMinimum) SetValue(minimum);
    else if (status != kValid && text().isEmpty()) SetValue(minimum);
}

int CNumEdit::check(const QString& text, bool syntaxOnly) const {
    if (text == QStringLiteral("+") || text == QStringLiteral("-")) return kIncomplete;
    double value = 0;
    if (!parseNumber(text.toStdString(), &value)) return kNotANumber;
    if (syntaxOnly) return kValid;
    if (value > maximum) return kAboveMaximum;
    if (value < minimum) return kBelowMinimum;
    return kValid;
}

void CNumEdit::report(int status) {
    if (!verbose || status == kValid || status == kIncomplete) return;
    std::string message;
    if (status == kNotANumber) {
        message = moduleString(kNotANumberString, kNotANumberText);
    } else {
        char text[kMessageSize];
        std::snprintf(text, sizeof text, moduleString(kOutOfRangeString, kOutOfRangeText).c_str(), minimum, maximum);
        message = text;
    }
    DrvMessageBox(message.c_str(), kStopIcon, this, "");
}

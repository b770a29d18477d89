#include "DialogUnits.h"

#include <QFontMetrics>

namespace {
// a * b / c rounded to the nearest integer, as the toolkit's MulDiv.
int mulDiv(int a, int b, int c) { return static_cast<int>((static_cast<long long>(a) * b * 2 + c) / (2LL * c)); }
}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX = (width / 26 + 1) / 2;
    baseY = metrics.height();
}

int DialogUnits::x(int units) const { return mulDiv(units, baseX, 4); }

int DialogUnits::y(int units) const { return mulDiv(units, baseY, 8); }

QRect DialogUnits::rect(int left, int top, int width, int height) const {
    return QRect(x(left), y(top), x(width), y(height));
}

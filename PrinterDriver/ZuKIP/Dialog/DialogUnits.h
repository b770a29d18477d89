#pragma once
// Dialog units, the measure of the dialog template: a quarter of the dialog
// font's average character width across, an eighth of its height down. The
// layout is converted to pixels the way the original toolkit does, so the
// controls keep the template's proportions with whatever font the system has.
#include <QFont>
#include <QRect>

class DialogUnits {
public:
    // Base units measured from font: average width of "A".."Z" "a".."z" and the line height.
    explicit DialogUnits(const QFont& font);

    int x(int units) const;   // horizontal dialog units to pixels, rounded
    int y(int units) const;   // vertical dialog units to pixels, rounded
    QRect rect(int left, int top, int width, int height) const;

private:
    int baseX;
    int baseY;
};

#include "gui/fonts_qt.h"

#include <QColor>
#include <QPalette>
#include <QWidget>

namespace gui {

QString MapFontFamily(const std::string &family)
{
    const QString name = QString::fromUtf8(family);
    // Arial's metrics are matched exactly by Liberation Sans; the old bitmap
    // sans of the designer has no Linux twin, and Liberation Sans is closer
    // in width than DejaVu Sans, so captions still fit their rows.
    if (name.compare(u"Arial", Qt::CaseInsensitive) == 0 || name.compare(u"MS Sans Serif", Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Sans");
    return name;
}

QFont MakeFont(const FontSpec &wanted, const QFont &base)
{
    QFont font = base;
    if (!wanted.family.empty())
        font.setFamilies({MapFontFamily(wanted.family)});
    // Pixel sizes are device-independent pixels in Qt 6: with a scale factor
    // (QT_SCALE_FACTOR, Xft.dpi) they grow with the devicePixelRatio exactly as
    // the 96-dpi positions do, so text and rows stay in proportion.
    if (wanted.sizePx > 0)
        font.setPixelSize(wanted.sizePx);
    if (wanted.bold)
        font.setBold(true);
    return font;
}

void ApplyFont(QWidget *widget, const FontSpec &wanted, const QFont &base)
{
    widget->setFont(MakeFont(wanted, base));
    QColor color;
    switch (wanted.color) {
    case FontColor::WindowText:
        return;
    case FontColor::Blue:
        color = QColor(0x00, 0x00, 0xFF);
        break;
    case FontColor::Red:
        color = QColor(0xFF, 0x00, 0x00);
        break;
    }
    // Only the active and inactive groups: a disabled control keeps the
    // style's grey text so that it still reads as disabled.
    QPalette palette = widget->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            palette.setColor(group, role, color);
    widget->setPalette(palette);
}

} // namespace gui

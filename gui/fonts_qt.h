#pragma once
// Fonts and colours of the layout rows, on the fonts a Linux desktop has.
#include "gui/layout.h"

#include <QFont>
#include <QString>

class QWidget;

namespace gui {

// The installed family that stands in for a family named in a layout.
QString MapFontFamily(const std::string &family);

// base with the wanted family, size, weight applied; an empty family keeps
// base's family.
QFont MakeFont(const FontSpec &wanted, const QFont &base);

// Gives widget the font and text colour of wanted (the colour only when it is
// not the window text colour).
void ApplyFont(QWidget *widget, const FontSpec &wanted, const QFont &base);

} // namespace gui

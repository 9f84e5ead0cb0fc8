#include "gui/convert.h"

#include <QLocale>
#include <QString>
#include <cmath>

namespace gui {

namespace {

// A thousands separator in a period would be a typing error, never intended.
QLocale Regional()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator | QLocale::OmitGroupSeparator);
    return locale;
}

} // namespace

std::optional<double> StrToFloatRegional(const std::string &text)
{
    bool ok = false;
    const double value = Regional().toDouble(QString::fromUtf8(text).trimmed(), &ok);
    // Qt reads "inf" and "nan" too, and reports an overflow as infinity.
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string FloatToStrRegional(double value, int decimals)
{
    return Regional().toString(value, 'f', decimals).toStdString();
}

std::string RegionalDecimalSeparator()
{
    return QLocale().decimalPoint().toStdString();
}

} // namespace gui

#include "qt_locale/decimal_separator.h"

#include "climate/locale_conversions.h"

#include <QLocale>
#include <QString>

#include <cstdlib>

namespace pelk {

char DecimalSeparatorOfLocale(std::string_view localeName) {
    const QLocale locale(
        QString::fromUtf8(localeName.data(), static_cast<qsizetype>(localeName.size())));
    return locale.decimalPoint() == QLatin1Char(',') ? ',' : '.';
}

char DecimalSeparatorFromEnvironment() {
    return DecimalSeparatorOfLocale(
        NumericLocaleName(std::getenv("LC_ALL"), std::getenv("LC_NUMERIC"), std::getenv("LANG")));
}

} // namespace pelk

// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt_locale/decimal_separator.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <QLocale>
#endif

namespace pelk {
namespace {

// The environment's locale (LC_ALL, LC_NUMERIC, LANG) is tried on the real pelk-cli.
TEST(decimal_separator, from_the_locale_data) {
    // en_DK, fr_CH and br_FR write a decimal comma; de_CH a point; U+066B is neither.
    for (const char *name : {"fr_FR.UTF-8", "fr", "de_DE.UTF-8@euro", "pt_BR", "en_DK.UTF-8",
                             "fr_CH", "br_FR", "sr_RS@latin"})
        EXPECT_EQ(DecimalSeparatorOfLocale(name), ',') << name;
    for (const char *name : {"de_CH.UTF-8", "es_MX", "en_US.UTF-8", "C", "POSIX", "C.UTF-8",
                             "xx_YY", "", "ar_EG.UTF-8"})
        EXPECT_EQ(DecimalSeparatorOfLocale(name), '.') << name;
}

#ifndef _WIN32
// The table written at build time answers as Qt does, for every name Qt knows and the ways the
// environment writes them.
TEST(decimal_separator, the_table_agrees_with_qt_on_every_locale) {
    const auto locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    ASSERT_GT(locales.size(), 300);
    for (const QLocale &locale : locales) {
        const QString language = QLocale::languageToCode(locale.language());
        for (const QString &name :
             {locale.name(), locale.name() + ".UTF-8", locale.name() + ".UTF-8@euro",
              locale.name() + "@euro", language, language + "_US", language + "_ZZ",
              language + "_DK.ISO-8859-1"}) {
            const char qt = QLocale(name).decimalPoint() == QLatin1Char(',') ? ',' : '.';
            ASSERT_EQ(DecimalSeparatorOfLocale(name.toStdString()), qt) << name.toStdString();
        }
    }
}
#endif

} // namespace
} // namespace pelk

#include "qt_locale/decimal_separator.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace pelk {
namespace {

TEST(decimal_separator, from_the_locale_data_for_the_numeric_locale) {
    // en_DK, fr_CH and br_FR write a decimal comma; de_CH a point; U+066B is neither.
    for (const char *name : {"fr_FR.UTF-8", "fr", "de_DE.UTF-8@euro", "pt_BR", "en_DK.UTF-8",
                             "fr_CH", "br_FR", "sr_RS@latin"})
        EXPECT_EQ(DecimalSeparatorOfLocale(name), ',') << name;
    for (const char *name : {"de_CH.UTF-8", "es_MX", "en_US.UTF-8", "C", "POSIX", "C.UTF-8",
                             "xx_YY", "", "ar_EG.UTF-8"})
        EXPECT_EQ(DecimalSeparatorOfLocale(name), '.') << name;
    // LC_ALL before LC_NUMERIC before LANG.
    const char *const environment[][4] = {{"de_DE", "en_US", "en_US", ","},
                                          {"", "en_US", "de_DE", "."}};
    for (const auto &[all, numeric, lang, separator] : environment) {
        ::setenv("LC_ALL", all, 1);
        ::setenv("LC_NUMERIC", numeric, 1);
        ::setenv("LANG", lang, 1);
        EXPECT_EQ(DecimalSeparatorFromEnvironment(), *separator) << all << numeric << lang;
    }
}

} // namespace
} // namespace pelk

#include "qt_locale/decimal_separator.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace pelk

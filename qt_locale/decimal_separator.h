// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// The decimal separator of the user's locale, from Qt's locale data (CLDR), which the desktop's
/// own programs use too. The climate library takes it as a plain character.
#pragma once

#include <string_view>

namespace pelk {

/// The decimal separator of a locale name such as "fr_FR.UTF-8", "de_CH" or "en_DK.UTF-8@euro":
/// "," or ".". "." for "C", "POSIX", names that Qt does not know, and locales whose separator is
/// neither (Arabic and Persian write U+066B), since exports write one of the two.
char DecimalSeparatorOfLocale(std::string_view localeName);

/// The decimal separator of the locale that LC_ALL, LC_NUMERIC or LANG names (NumericLocaleName).
char DecimalSeparatorFromEnvironment();

} // namespace pelk

// SPDX-License-Identifier: GPL-3.0-or-later
// The same questions answered from Windows' own locale data, for the Windows build of pelk-cli,
// which has no Qt: a locale named by LC_ALL, LC_NUMERIC or LANG, else the user's locale.
#include "qt_locale/decimal_separator.h"

#include "climate/locale_conversions.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace pelk {
namespace {

char SeparatorOf(const wchar_t *localeName) {
    wchar_t separator[8] = {};
    if (::GetLocaleInfoEx(localeName, LOCALE_SDECIMAL, separator, 8) == 0)
        return '.';
    return separator[0] == L',' ? ',' : '.';
}

} // namespace

char DecimalSeparatorOfLocale(std::string_view localeName) {
    // "fr_FR.UTF-8@euro" names the locale "fr-FR", "sr_RS@latin" "sr-Latn-RS".
    const std::string_view base = localeName.substr(0, localeName.find_first_of(".@"));
    const std::size_t at = localeName.find('@');
    const std::string_view modifier =
        at == std::string_view::npos ? std::string_view() : localeName.substr(at + 1);
    const std::string_view script = modifier == "latin"      ? "Latn"
                                    : modifier == "cyrillic" ? "Cyrl"
                                                             : "";
    std::wstring name;
    for (std::size_t i = 0; i < base.size(); ++i) {
        if (base[i] == '_' && !script.empty())
            name += L'-' + std::wstring(script.begin(), script.end());
        name += static_cast<wchar_t>(base[i] == '_' ? '-' : base[i]);
    }
    if (name.empty() || name == L"C" || name == L"POSIX")
        return '.';
    return SeparatorOf(name.c_str());
}

char DecimalSeparatorFromEnvironment() {
    const char *lcAll = std::getenv("LC_ALL");
    const char *lcNumeric = std::getenv("LC_NUMERIC");
    const char *lang = std::getenv("LANG");
    if ((lcAll && *lcAll) || (lcNumeric && *lcNumeric) || (lang && *lang))
        return DecimalSeparatorOfLocale(NumericLocaleName(lcAll, lcNumeric, lang));
    return SeparatorOf(LOCALE_NAME_USER_DEFAULT);
}

} // namespace pelk

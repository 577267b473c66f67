// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt_locale/decimal_separator.h"

#include "climate/locale_conversions.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <span>

namespace pelk {

// Every locale name of Qt's data with its separator, sorted by name: written at build time by
// make_separator_table.
struct LocaleSeparator {
    std::string_view name;
    char separator;
};
extern const LocaleSeparator kLocaleSeparators[];
extern const std::size_t kLocaleSeparatorCount;

namespace {

std::optional<char> SeparatorOfKnown(std::string_view name) {
    const std::span<const LocaleSeparator> table(kLocaleSeparators, kLocaleSeparatorCount);
    const auto found = std::lower_bound(
        table.begin(), table.end(), name,
        [](const LocaleSeparator &entry, std::string_view key) { return entry.name < key; });
    if (found == table.end() || found->name != name)
        return std::nullopt;
    return found->separator;
}

} // namespace

char DecimalSeparatorOfLocale(std::string_view localeName) {
    // As Qt reads a name: the codeset and the modifier play no part, and a language with a
    // territory that its data lacks stands for the language's own locale.
    const std::string_view name = localeName.substr(0, localeName.find_first_of(".@"));
    if (const std::optional<char> separator = SeparatorOfKnown(name))
        return *separator;
    return SeparatorOfKnown(name.substr(0, name.find('_'))).value_or('.');
}

char DecimalSeparatorFromEnvironment() {
    return DecimalSeparatorOfLocale(
        NumericLocaleName(std::getenv("LC_ALL"), std::getenv("LC_NUMERIC"), std::getenv("LANG")));
}

} // namespace pelk

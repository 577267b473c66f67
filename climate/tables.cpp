// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/tables.h"

#include "climate/locale_conversions.h"

namespace pelk {

char DetectDecimalSeparator(char localeSeparator) {
    return NumberToText(10.0 / 4, localeSeparator).at(1);
}

char AlternateSeparatorFor(char localeSeparator, char currentAlternate) {
    if (localeSeparator == ',')
        return '.';
    if (localeSeparator == '.')
        return ',';
    return currentAlternate;
}

void SetDecimalSeparators(ProgramTables &tables, char localeSeparator) {
    tables.LocaleDecimalSeparator = DetectDecimalSeparator(localeSeparator);
    tables.AlternateDecimalSeparator =
        AlternateSeparatorFor(tables.LocaleDecimalSeparator, tables.AlternateDecimalSeparator);
}

} // namespace pelk

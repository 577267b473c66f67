// SPDX-License-Identifier: GPL-3.0-or-later
// Writes every locale name in Qt's locale data (CLDR) with the decimal separator Qt gives it, as a
// sorted C++ table, at build time: pelk-cli then agrees with Qt without loading Qt when it runs.
// make_separator_table OUTPUT.cpp
#include <QCoreApplication>
#include <QLocale>

#include <fstream>
#include <map>
#include <string>

int main(int argc, char *argv[]) {
    if (argc != 2)
        return 64;
    std::map<std::string, char> separators;
    const auto locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    auto note = [&](const QString &name) {
        if (!name.isEmpty())
            separators[name.toStdString()] =
                QLocale(name).decimalPoint() == QLatin1Char(',') ? ',' : '.';
    };
    for (const QLocale &locale : locales) {
        const QString language = QLocale::languageToCode(locale.language());
        const QString script = QLocale::scriptToCode(locale.script());
        const QString territory = QLocale::territoryToCode(locale.territory());
        note(locale.name());                             // ll_TT, as a locale name writes it
        note(language);                                  // ll alone
        note(language + '_' + script + '_' + territory); // ll_Ssss_TT
        note(language + '_' + script);                   // ll_Ssss
    }
    std::ofstream out(argv[1]);
    out << "// Written by make_separator_table from Qt's locale data; not to be edited.\n"
           "#include <string_view>\n\nnamespace pelk {\n\n"
           "struct LocaleSeparator {\n    std::string_view name;\n    char separator;\n};\n"
           "extern const LocaleSeparator kLocaleSeparators[];\n"
           "extern const std::size_t kLocaleSeparatorCount;\n\n"
           "const LocaleSeparator kLocaleSeparators[] = {\n";
    for (const auto &[name, separator] : separators)
        out << "    {\"" << name << "\", '" << separator << "'},\n";
    out << "};\nconst std::size_t kLocaleSeparatorCount = " << separators.size()
        << ";\n\n} // namespace pelk\n";
    return out ? 0 : 1;
}

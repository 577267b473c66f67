// SPDX-License-Identifier: GPL-3.0-or-later
#include "layouts/layout_explanation.h"

#include "climate/locale_conversions.h"
#include "layouts/layout_note.h"
#include "layouts/vocabulary.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace pelk {
namespace {

std::string SeparatorNom(char separator) {
    switch (separator) {
    case '\t':
        return "tabulation";
    case ';':
        return "point-virgule";
    case ',':
        return "virgule";
    case FieldSplitter::kBlanks:
        return "espaces";
    }
    return std::string("« ") + separator + " »";
}

std::string Champ(const Layout &layout, std::int32_t field) {
    std::string text = "champ " + std::to_string(field);
    std::string title = TitleOf(layout, field);
    constexpr std::size_t kShown = 40;
    if (title.size() > kShown)
        title = std::string(Utf8Prefix(title, kShown)) + "…";
    if (!title.empty())
        text += " (« " + title + " »)";
    return text;
}

std::string Horodatage(const Layout &layout) {
    const std::int32_t f = layout.timestampField;
    switch (layout.timestampKind) {
    case TimestampKind::OneField:
        return Champ(layout, f);
    case TimestampKind::DateThenTime:
        return "date au " + Champ(layout, f) + ", heure au champ " + std::to_string(f + 1);
    case TimestampKind::SixFields:
        return "année, mois, jour, heure, minute, seconde aux champs " + std::to_string(f) + " à " +
               std::to_string(f + 5);
    case TimestampKind::UnixSeconds:
        return "secondes Unix au " + Champ(layout, f);
    }
    return {};
}

std::string_view OrdreNom(DateOrder order) {
    switch (order) {
    case DateOrder::DayMonthYear:
        return "jour/mois/année";
    case DateOrder::MonthDayYear:
        return "mois/jour/année";
    case DateOrder::YearMonthDay:
        break;
    }
    return "année/mois/jour";
}

std::string OrdreDesDates(const Layout &layout) {
    if (layout.timestampKind == TimestampKind::SixFields ||
        layout.timestampKind == TimestampKind::UnixSeconds)
        return {};
    const std::string text = ", " + std::string(OrdreNom(layout.dateOrder));
    switch (layout.dateOrderReason) {
    case DateOrderReason::YearFirst:
        return text + " (l'année en quatre chiffres d'abord)";
    case DateOrderReason::OnlyValid:
        return text + " (le seul ordre où chaque date existe)";
    case DateOrderReason::SteadyInTime:
        return text + " (le seul ordre où les relevés se suivent dans le temps)";
    case DateOrderReason::Title:
        return text + " (nommé dans son titre)";
    case DateOrderReason::ExportForm:
        return text + " (l'ordre de l'export Excel)";
    case DateOrderReason::Chosen:
        return text + " (choisi)";
    case DateOrderReason::Irrelevant:
        break;
    }
    return text;
}

std::string Colonnes(const Layout &layout) {
    if (layout.tnField != 0) {
        const std::string why = layout.columnReason == ColumnReason::Chosen
                                    ? " (choisis)"
                                    : " (le minimum et le maximum par leurs titres)";
        return "Tn du " + Champ(layout, layout.tnField) + ", Tx du " +
               Champ(layout, layout.valueField) + why;
    }
    std::string why;
    switch (layout.columnReason) {
    case ColumnReason::Title:
    case ColumnReason::MinimumAndMaximum:
        why = " (par son titre)";
        break;
    case ColumnReason::FirstNumbers:
        why = " (la première colonne de nombres)";
        break;
    case ColumnReason::Chosen:
        why = " (choisi)";
        break;
    }
    return "température du " + Champ(layout, layout.valueField) + why;
}

std::string Decalage(const Layout &layout, std::optional<int> computerHours) {
    switch (layout.offsetSource) {
    case OffsetSource::Computer: {
        // The number, so that "the computer's" is never a guess.
        const std::string today = computerHours
                                      ? ", UTC" + std::string(*computerHours < 0 ? "" : "+") +
                                            std::to_string(*computerHours) + " aujourd'hui"
                                      : "";
        if (!layout.offsetText.empty())
            return "celui de l'ordinateur" + today + " (le fuseau « " + layout.offsetText +
                   " » nommé dans le fichier est inconnu ici)";
        return "celui de l'ordinateur" + today;
    }
    case OffsetSource::Zone:
        return "celui du fuseau " + layout.zoneName + ", jour par jour (« " + layout.offsetText +
               " » dans le fichier)";
    case OffsetSource::Chosen:
        return "celui choisi";
    case OffsetSource::Titles: {
        char text[16];
        const int minutes = std::abs(layout.offsetSeconds) / 60;
        std::snprintf(text, sizeof text, "UTC%c%02d:%02d", layout.offsetSeconds < 0 ? '-' : '+',
                      minutes / 60, minutes % 60);
        return std::string(text) + ", écrit dans le fichier (« " + layout.offsetText + " »)";
    }
    case OffsetSource::Timestamps:
        return "celui écrit sur chaque horodatage (jours UTC)";
    case OffsetSource::UnixSeconds:
        return "UTC (secondes Unix)";
    }
    return {};
}

std::string LignesPassees(const Layout &layout, const LayoutReadFacts &facts) {
    std::string text;
    auto add = [&](const std::string &part) { text += (text.empty() ? "" : ", ") + part; };
    if (layout.firstDataLine > 1)
        add(std::to_string(layout.firstDataLine - 1) + " avant les données");
    if (facts.rowsWithoutValue > 0)
        add(std::to_string(facts.rowsWithoutValue) + " sans valeur (la première à la ligne " +
            std::to_string(facts.firstRowWithoutValue) + ")");
    if (facts.emptyRows > 0)
        add(std::to_string(facts.emptyRows) + " vide" + (facts.emptyRows == 1 ? "" : "s"));
    auto addCounted = [&](std::int64_t count, std::string_view what, std::int64_t first) {
        if (count > 0)
            add(std::to_string(count) + " " + std::string(what) + " (la première à la ligne " +
                std::to_string(first) + ")");
    };
    addCounted(facts.datedLinesBefore, "datées avant les données, sans relevé",
               facts.firstDatedLineBefore);
    addCounted(facts.textRows, "de texte parmi les relevés", facts.firstTextRow);
    addCounted(facts.linesAfter, "de texte après les données", facts.firstLineAfter);
    return text.empty() ? "aucune" : text;
}

char UnitLetter(WrittenUnit unit) {
    switch (unit) {
    case WrittenUnit::Fahrenheit:
        return 'F';
    case WrittenUnit::Kelvin:
        return 'K';
    case WrittenUnit::Celsius:
    case WrittenUnit::None:
        break;
    }
    return 'C';
}

std::string_view OrderCode(DateOrder order) {
    switch (order) {
    case DateOrder::DayMonthYear:
        return "dmy";
    case DateOrder::MonthDayYear:
        return "mdy";
    case DateOrder::YearMonthDay:
        break;
    }
    return "ymd";
}

template <typename T> std::optional<T> WholeNumber(std::string_view text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// "3 valeurs d'erreur du capteur écartées : -127 ×2, 85 ×1."; "" when there are none.
std::string ErrorValuesNotice(const LayoutReadFacts &facts) {
    const std::int64_t count = facts.errorValueCount();
    if (count == 0)
        return {};
    return std::to_string(count) +
           (count == 1 ? " valeur d'erreur du capteur écartée : "
                       : " valeurs d'erreur du capteur écartées : ") +
           ErrorValueList(facts, "×", ',') + ".";
}

// What pelk-cli warns of readings that came before an earlier line's time, in the window's words.
std::string OutOfOrderNotice(const LayoutReadFacts &facts) {
    if (facts.outOfOrder == 0)
        return {};
    const bool one = facts.outOfOrder == 1;
    return std::to_string(facts.outOfOrder) + (one ? " relevé vient" : " relevés viennent") +
           " avant l'heure d'une ligne plus haut, à partir de la ligne " +
           std::to_string(facts.firstOutOfOrderLine) + " (du " +
           FrenchDateTime(facts.earliestOutOfOrder) + " au " +
           FrenchDateTime(facts.latestOutOfOrder) +
           ") : le fichier revient en arrière dans le temps ; " +
           (one ? "il est compté" : "ils sont comptés") + " dans l'ordre du temps.";
}

// Words that any file's titles may hold, in the languages loggers write: no logger's name.
constexpr std::array<std::string_view, 40> kGenericTitleWords = {
    "date",    "time",  "datum",  "zeit", "heure", "temps", "timestamp", "datetime",
    "utc",     "gmt",   "local",  "no",   "nr",    "n",     "record",    "index",
    "id",      "value", "valeur", "wert", "temp",  "t",     "c",         "f",
    "k",       "deg",   "degc",   "degf", "rh",    "hum",   "humidity",  "humidité",
    "feuchte", "mm",    "dd",     "yyyy", "hh",    "ss"};

bool IsGenericTitle(std::string_view title) {
    const std::vector<std::string> words = TitleWords(title);
    return std::all_of(words.begin(), words.end(), [](const std::string &word) {
        return NamesTemperature(word) ||
               std::find(kGenericTitleWords.begin(), kGenericTitleWords.end(), word) !=
                   kGenericTitleWords.end();
    });
}

// "S/N 1234567", "LGR S/N: 20345", "SN#: 192791": a serial number in a title.
bool NamesASerialNumber(std::string_view title) {
    std::size_t digits = 0;
    for (const char c : title) {
        digits = c >= '0' && c <= '9' ? digits + 1 : 0;
        if (digits >= 4)
            return true;
    }
    return false;
}

// A separator a person may have chosen: TAB, a blank, or a sign typed in ("|", ";"), never a
// letter, a digit or a quote.
bool IsSeparatorCode(std::int64_t code) {
    return code == '\t' || code == FieldSplitter::kBlanks ||
           (code > ' ' && code < 127 && !std::isalnum(static_cast<int>(code)) && code != '"');
}

} // namespace

std::string LoadNotice(const ExportLoad &load, std::int32_t readingCount) {
    if (load.read.status != ReadResult::Status::Loaded)
        return {};
    if (readingCount == 0)
        return load.emptyLineStop > 0 ? "Aucun relevé trouvé : la lecture s'est arrêtée à la "
                                        "ligne vide " +
                                            std::to_string(load.emptyLineStop) + "."
                                      : "Aucun relevé trouvé dans ce fichier.";
    const std::int64_t count = load.facts.errorValueCount();
    if (load.layout) {
        const std::string outOfOrder = OutOfOrderNotice(load.facts);
        const std::string errors = ErrorValuesNotice(load.facts);
        return outOfOrder + (outOfOrder.empty() || errors.empty() ? "" : "\n\n") + errors;
    }
    if (count == 0)
        return {};
    std::string days;
    for (const std::int64_t day : load.facts.errorValueDays)
        days += (days.empty() ? "" : ", ") + FormatDayLabel(static_cast<double>(day));
    return std::to_string(count) +
           (count == 1 ? " relevé a la valeur d'erreur d'un capteur ("
                       : " relevés ont la valeur d'erreur d'un capteur (") +
           ErrorValueList(load.facts, "×", ',') + ") et " +
           (count == 1 ? "reste listé" : "restent listés") + " : " + days + ".";
}

std::string LayoutExplanation(const Layout &layout, const LayoutReadFacts &facts,
                              std::optional<int> computerHours) {
    std::string text = "Ce fichier n'est pas un export Excel ; il a été lu ainsi :\n";
    text += "- séparateur : " + SeparatorNom(layout.separator) +
            " ; données à partir de la ligne " + std::to_string(layout.firstDataLine) + "\n";
    text += "- horodatage : " + Horodatage(layout) + OrdreDesDates(layout) + "\n";
    text += "- " + Colonnes(layout) + "\n";
    text += "- décalage UTC : " + Decalage(layout, computerHours) + "\n";
    if (layout.unit == WrittenUnit::Fahrenheit)
        text += "- degrés F convertis en °C\n";
    else if (layout.unit == WrittenUnit::Kelvin)
        text += layout.unitFromRange ? "- kelvins (d'après les valeurs) convertis en °C\n"
                                     : "- kelvins convertis en °C\n";
    text += "- lignes passées : " + LignesPassees(layout, facts) + "\n";
    text += "Pour changer cette lecture : Lecture du fichier… (Ctrl+L).";
    return text;
}

bool TitlesNameALogger(const Layout &layout) {
    std::size_t named = 0;
    for (const std::string &title : layout.titles) {
        if (NamesASerialNumber(title))
            return true;
        named += !title.empty() && !IsGenericTitle(title);
    }
    return named >= 3;
}

std::string KeptReadingNotice(const Layout &layout, const LayoutChoices &kept) {
    if (TitlesNameALogger(layout))
        return {};
    if (kept.dateOrder)
        return "ordre des dates retenu la dernière fois pour ces titres : " +
               std::string(OrdreNom(*kept.dateOrder));
    return "lecture retenue la dernière fois pour ces titres (Lecture du fichier… pour la changer)";
}

std::string LayoutKey(const Layout &layout) {
    std::string key;
    for (const std::string &title : layout.titles)
        key += title + '\x1F'; // a unit separator, found in no title
    for (const std::string &title : layout.titles)
        if (!title.empty())
            return key;
    return {};
}

std::string ChoicesText(const LayoutChoices &choices) {
    std::string text;
    auto add = [&](std::string_view name, const std::string &value) {
        text.append(text.empty() ? "" : ";").append(name).append("=").append(value);
    };
    if (choices.separator)
        add("separator", std::to_string(static_cast<int>(*choices.separator)));
    if (choices.firstDataLine)
        add("first-line", std::to_string(*choices.firstDataLine));
    if (choices.timestampField)
        add("timestamp", std::to_string(*choices.timestampField));
    if (choices.dateOrder)
        add("date-order", std::string(OrderCode(*choices.dateOrder)));
    if (choices.valueField)
        add("column", std::to_string(*choices.valueField));
    if (choices.tnField)
        add("tn", std::to_string(*choices.tnField));
    if (choices.txField)
        add("tx", std::to_string(*choices.txField));
    if (choices.unit)
        add("unit", std::string(1, UnitLetter(*choices.unit)));
    if (choices.offsetChosen)
        add("offset", choices.offsetLocalByDate ? "zone"
                      : choices.offsetHours     ? std::to_string(*choices.offsetHours)
                                                : "computer");
    return text;
}

std::optional<LayoutChoices> ChoicesFromText(std::string_view text) {
    LayoutChoices choices;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(';'), text.size());
        const std::string_view item = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::size_t equals = item.find('=');
        if (equals == std::string_view::npos)
            return std::nullopt;
        const std::string_view name = item.substr(0, equals);
        const std::string_view value = item.substr(equals + 1);
        const auto number = WholeNumber<std::int64_t>(value);
        const bool field = number && *number >= 1 && *number <= kLastField;
        if (name == "separator" && number && IsSeparatorCode(*number))
            choices.separator = static_cast<char>(*number);
        else if (name == "first-line" && number && *number >= 1)
            choices.firstDataLine = *number;
        else if (name == "timestamp" && field)
            choices.timestampField = static_cast<std::int32_t>(*number);
        else if (name == "date-order" && (value == "dmy" || value == "mdy" || value == "ymd"))
            choices.dateOrder = value == "dmy"   ? DateOrder::DayMonthYear
                                : value == "mdy" ? DateOrder::MonthDayYear
                                                 : DateOrder::YearMonthDay;
        else if (name == "column" && field)
            choices.valueField = static_cast<std::int32_t>(*number);
        else if (name == "tn" && field)
            choices.tnField = static_cast<std::int32_t>(*number);
        else if (name == "tx" && field)
            choices.txField = static_cast<std::int32_t>(*number);
        else if (name == "unit" && (value == "C" || value == "F" || value == "K"))
            choices.unit = value == "F"   ? WrittenUnit::Fahrenheit
                           : value == "K" ? WrittenUnit::Kelvin
                                          : WrittenUnit::Celsius;
        else if (name == "offset" && value == "zone")
            choices.offsetChosen = choices.offsetLocalByDate = true;
        else if (name == "offset" && value == "computer")
            choices.offsetChosen = true;
        else if (name == "offset" && number && *number >= -12 && *number <= 14)
            choices.offsetChosen = true, choices.offsetHours = static_cast<int>(*number);
        else
            return std::nullopt;
    }
    return choices;
}

LayoutChoices OverruledBy(LayoutChoices kept, const LayoutChoices &said) {
    auto overrule = [](auto &keptChoice, const auto &saidChoice) {
        if (saidChoice)
            keptChoice = saidChoice;
    };
    overrule(kept.separator, said.separator);
    overrule(kept.firstDataLine, said.firstDataLine);
    overrule(kept.timestampField, said.timestampField);
    overrule(kept.dateOrder, said.dateOrder);
    overrule(kept.unit, said.unit);
    if (said.valueField || said.tnField || said.txField) {
        kept.valueField = said.valueField;
        kept.tnField = said.tnField;
        kept.txField = said.txField;
    }
    if (said.offsetChosen) {
        kept.offsetChosen = true;
        kept.offsetHours = said.offsetHours;
        kept.offsetLocalByDate = said.offsetLocalByDate;
    }
    // Whether a sensor's error values are read is the run's, never a logger's.
    kept.keepErrorValues = said.keepErrorValues;
    return kept;
}

LoadOptions WithChosenOffset(LoadOptions options, const LayoutChoices &choices) {
    if (!choices.offsetChosen)
        return options;
    options.utcOffsetHours.reset();
    options.utcOffsetLocalByDate = choices.offsetLocalByDate;
    if (choices.offsetHours)
        options.utcOffsetHours = static_cast<std::int16_t>(*choices.offsetHours);
    return options;
}

} // namespace pelk

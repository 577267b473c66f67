// SPDX-License-Identifier: GPL-3.0-or-later
#include "layouts/layout_explanation.h"

#include <gtest/gtest.h>

#include <random>

namespace pelk {
namespace {

TEST(layout_explanation, choices_are_kept_as_text_and_read_back) {
    LayoutChoices every;
    every.separator = ';';
    every.firstDataLine = 7;
    every.timestampField = 2;
    every.dateOrder = DateOrder::DayMonthYear;
    every.valueField = 5;
    every.tnField = 3;
    every.txField = 4;
    every.unit = WrittenUnit::Fahrenheit;
    every.offsetChosen = true;
    every.offsetHours = -4;
    LayoutChoices zone;
    zone.offsetChosen = zone.offsetLocalByDate = true;
    LayoutChoices computer;
    computer.offsetChosen = true;
    computer.dateOrder = DateOrder::YearMonthDay;
    LayoutChoices firstFields; // field 1 is a field like any other
    firstFields.timestampField = 1;
    firstFields.tnField = 1;
    firstFields.txField = 2;
    for (const LayoutChoices &choices : {LayoutChoices{}, every, zone, computer, firstFields}) {
        const std::string text = ChoicesText(choices);
        EXPECT_EQ(ChoicesFromText(text), choices) << text;
    }
    EXPECT_EQ(ChoicesText(every), "separator=59;first-line=7;timestamp=2;date-order=dmy;column=5;"
                                  "tn=3;tx=4;unit=F;offset=-4");
    // A text kept by another version, or damaged: nothing, rather than a wrong reading.
    for (const char *bad : {"separator=65", "first-line=0", "column=x", "offset=15", "colour=red",
                            "date-order=dym", "tn", "unit=R"})
        EXPECT_FALSE(ChoicesFromText(bad)) << bad;
}

TEST(layout_explanation, a_logger_is_known_by_its_titles) {
    Layout layout;
    EXPECT_EQ(LayoutKey(layout), ""); // no titles: nothing to know it by
    layout.titles = {"", ""};
    EXPECT_EQ(LayoutKey(layout), "");
    layout.titles = {"Date Time", "Temp"};
    Layout split = layout;
    split.titles = {"Date", "Time Temp"};
    EXPECT_NE(LayoutKey(layout), "");
    EXPECT_NE(LayoutKey(layout), LayoutKey(split));
}

TEST(layout_explanation, says_how_the_file_was_read_in_french) {
    Layout layout;
    layout.separator = ';';
    layout.firstDataLine = 3;
    layout.titles = {"No", "Date Time, GMT-04:00", "Low", "High"};
    layout.timestampField = 2;
    layout.dateOrder = DateOrder::DayMonthYear;
    layout.dateOrderReason = DateOrderReason::SteadyInTime;
    layout.tnField = 3;
    layout.valueField = 4;
    layout.columnReason = ColumnReason::MinimumAndMaximum;
    layout.offsetSource = OffsetSource::Titles;
    layout.offsetSeconds = -4 * 3600;
    layout.offsetText = "GMT-04:00";
    layout.unit = WrittenUnit::Fahrenheit;
    LayoutReadFacts facts;
    facts.rowsWithoutValue = 2;
    facts.firstRowWithoutValue = 9;
    EXPECT_EQ(LayoutExplanation(layout, facts),
              "Ce fichier n'est pas un export Excel ; il a été lu ainsi :\n"
              "- séparateur : point-virgule ; données à partir de la ligne 3\n"
              "- horodatage : champ 2 (« Date Time, GMT-04:00 »), jour/mois/année (le seul "
              "ordre où les relevés se suivent dans le temps)\n"
              "- Tn du champ 3 (« Low »), Tx du champ 4 (« High ») (le minimum et le maximum "
              "par leurs titres)\n"
              "- décalage UTC : UTC-04:00, écrit dans le fichier (« GMT-04:00 »)\n"
              "- degrés F convertis en °C\n"
              "- lignes passées : 2 avant les données, 2 sans valeur (la première à la ligne 9)\n"
              "Pour changer cette lecture : Lecture du fichier… (Ctrl+L).");
}

TEST(layout_explanation, preview_rows_say_how_each_line_reads) {
    const std::vector<std::string_view> lines = {
        "T,V", "2020-01-06 10:00,5.5", "2020-01-06 10:10,",
        ",",   "2020-01-06 10:20,x",   "2020-01-06 10:30,7"};
    Layout layout;
    layout.separator = ',';
    layout.dateOrder = DateOrder::YearMonthDay;
    const std::vector<PreviewRow> rows = PreviewRows(lines, layout, 4);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].kind, PreviewRow::Kind::Reading);
    EXPECT_EQ(rows[0].line, 2);
    EXPECT_EQ(rows[0].value, 5.5f);
    EXPECT_EQ(SplitDateTime(rows[0].time).hour, 10);
    EXPECT_EQ(rows[1].kind, PreviewRow::Kind::NoValue);
    EXPECT_EQ(rows[2].kind, PreviewRow::Kind::Empty);
    EXPECT_EQ(rows[3].kind, PreviewRow::Kind::Refused);
    EXPECT_EQ(rows[3].fault, LineFault::NotANumber);
    EXPECT_EQ(rows[3].line, 5);
}

TEST(layout_explanation, the_command_line_overrules_a_loggers_kept_choices) {
    LayoutChoices kept;
    kept.separator = ';';
    kept.dateOrder = DateOrder::DayMonthYear;
    kept.valueField = 5;
    kept.offsetChosen = kept.offsetLocalByDate = true;
    struct Case {
        const char *name;
        LayoutChoices said;
        LayoutChoices expected;
    };
    std::vector<Case> cases;
    cases.push_back({"nothing said", {}, kept});
    Case order{"a date order", {}, kept};
    order.said.dateOrder = order.expected.dateOrder = DateOrder::MonthDayYear;
    cases.push_back(order);
    // Tn and Tx said: the kept temperature column goes, or Recognise would mix the two.
    Case tn{"a Tn column", {}, kept};
    tn.said.tnField = tn.expected.tnField = 3;
    tn.expected.valueField.reset();
    cases.push_back(tn);
    Case hours{"an offset", {}, kept};
    hours.said.offsetChosen = true;
    hours.said.offsetHours = hours.expected.offsetHours = -3;
    hours.expected.offsetLocalByDate = false;
    cases.push_back(hours);
    // --keep-error-values is the run's: kept choices never hold it, nor lose it.
    Case errors{"error values kept", {}, kept};
    errors.said.keepErrorValues = errors.expected.keepErrorValues = true;
    cases.push_back(errors);
    for (const Case &c : cases)
        EXPECT_EQ(OverruledBy(kept, c.said), c.expected) << c.name;
}

TEST(layout_explanation, the_options_offset_survives_its_choices) {
    LoadOptions none, hours, zone;
    hours.utcOffsetHours = 3;
    zone.utcOffsetLocalByDate = true;
    for (const LoadOptions &options : {none, hours, zone}) {
        const LoadOptions back = WithChosenOffset(options, ChoicesFromOptions(options));
        EXPECT_EQ(back.utcOffsetHours, options.utcOffsetHours);
        EXPECT_EQ(back.utcOffsetLocalByDate, options.utcOffsetLocalByDate);
    }
}

} // namespace
} // namespace pelk

namespace pelk {
namespace {

TEST(layout_explanation, a_load_tells_an_empty_list_and_a_sensors_error_values) {
    ExportLoad load;
    EXPECT_EQ(LoadNotice(load, 0), "Aucun relevé trouvé dans ce fichier.");
    load.emptyLineStop = 2;
    EXPECT_EQ(LoadNotice(load, 0),
              "Aucun relevé trouvé : la lecture s'est arrêtée à la ligne vide 2.");
    EXPECT_EQ(LoadNotice(load, 5), "");
    load.read.status = ReadResult::Status::BadFormat;
    EXPECT_EQ(LoadNotice(load, 0), ""); // the refusal says it all
    load.read.status = ReadResult::Status::Loaded;

    load.facts.errorValues = {{-127, 2}, {85, 1}};
    load.facts.errorValueDays = {DayNumberFromCivil(2008, 3, 5)};
    EXPECT_EQ(LoadNotice(load, 5), "3 relevés ont la valeur d'erreur d'un capteur (-127 ×2, 85 ×1) "
                                   "et restent listés : 2008-03-05.");
    load.layout = Layout{};
    EXPECT_EQ(LoadNotice(load, 5), "3 valeurs d'erreur du capteur écartées : -127 ×2, 85 ×1.");
    load.facts.errorValues = {{-999.9, 1}};
    EXPECT_EQ(LoadNotice(load, 5), "1 valeur d'erreur du capteur écartée : -999,9 ×1.");
    // Readings out of time order, told as pelk-cli warns of them, before the error values.
    load.facts.outOfOrder = 2;
    load.facts.firstOutOfOrderLine = 120;
    load.facts.earliestOutOfOrder = MakeDateTime(DayNumberFromCivil(2008, 3, 5), 6 * 3600);
    load.facts.latestOutOfOrder = MakeDateTime(DayNumberFromCivil(2008, 3, 5), 8 * 3600 + 600);
    EXPECT_EQ(LoadNotice(load, 5),
              "2 relevés viennent avant l'heure d'une ligne plus haut, à partir de la ligne 120 "
              "(du 05/03/2008 06:00 au 05/03/2008 08:10) : le fichier revient en arrière dans le "
              "temps ; ils sont comptés dans l'ordre du temps.\n\n"
              "1 valeur d'erreur du capteur écartée : -999,9 ×1.");
}

} // namespace
} // namespace pelk

namespace pelk {
namespace {

TEST(layout_explanation, the_computers_offset_is_named_by_its_number) {
    Layout layout;
    layout.offsetSource = OffsetSource::Computer;
    for (const auto &[hours, said] : {std::pair{1, "celui de l'ordinateur, UTC+1 aujourd'hui"},
                                      std::pair{0, "celui de l'ordinateur, UTC+0 aujourd'hui"},
                                      std::pair{-5, "celui de l'ordinateur, UTC-5 aujourd'hui"}})
        EXPECT_NE(
            LayoutExplanation(layout, {}, hours).find(std::string("décalage UTC : ") + said + "\n"),
            std::string::npos)
            << hours;
}

} // namespace
} // namespace pelk

namespace pelk {
namespace {

TEST(layout_explanation, titles_name_a_logger_by_a_serial_number_or_three_titles_of_its_own) {
    const auto names = [](std::vector<std::string> titles) {
        Layout layout;
        layout.titles = std::move(titles);
        return TitlesNameALogger(layout);
    };
    EXPECT_FALSE(names({"Date", "Time", "Temp"}));
    EXPECT_FALSE(names({"Date Time, GMT+02:00", "Temp, °C", "RH, %"}));
    EXPECT_FALSE(names({"Datum", "Température (°C)", "Wert", "No."}));
    EXPECT_TRUE(names({"Time", "Temp, °C (LGR S/N: 20345)"}));
    EXPECT_TRUE(names({"Zeit", "Aussen", "Keller", "Garage"}));
    EXPECT_FALSE(names({"Nr", "Zeit", "Aussen", "Keller"}));
    EXPECT_FALSE(names({"Time", "Aussen", "Keller"}));
}

} // namespace
} // namespace pelk

namespace pelk {
namespace {

TEST(layout_explanation, a_separator_typed_in_is_kept_and_read_back) {
    for (const char separator : {'|', '#', ':', '\t', ' ', ';'}) {
        LayoutChoices choices;
        choices.separator = separator;
        EXPECT_EQ(ChoicesFromText(ChoicesText(choices)), choices) << separator;
    }
    for (const char *bad : {"separator=65", "separator=48", "separator=34", "separator=127"})
        EXPECT_FALSE(ChoicesFromText(bad)) << bad;
}

} // namespace
} // namespace pelk

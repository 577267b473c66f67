// SPDX-License-Identifier: GPL-3.0-or-later
#include "climate/daily_extremes.h"

#include "climate/locale_conversions.h"
#include "climate/platform.h"
#include "climate/utc_offset.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace pelk {
namespace {

// Beyond this a date-time is no calendar day at all (year 9999 is about 2.96 million days).
constexpr double kFarthestDay = 1e12;

bool IsCalendarDateTime(DateTime value) {
    return std::fabs(value) < kFarthestDay;
}

constexpr double kHalfSecond = 0.5 / kSecondsPerDay;

std::int64_t WholeSeconds(DateTime from, DateTime to) {
    return std::llround((to - from) * kSecondsPerDay);
}

// The days that get a row, and how many more the span holds.
struct ListedDays {
    std::int64_t firstDay = 0;
    std::int32_t count = 0;
    std::int64_t beyondCapacity = 0;
};

ListedDays ListDays(std::span<const Measurement> readings) {
    if (readings.empty() || !IsCalendarDateTime(readings.front().Timestamp) ||
        !IsCalendarDateTime(readings.back().Timestamp))
        return {};
    const std::int64_t firstDay = CalendarDay(readings.front().Timestamp);
    const std::int64_t span = CalendarDay(readings.back().Timestamp) - firstDay + 1;
    if (span <= 0)
        return {firstDay, 0, 0};
    const std::int64_t count = std::min<std::int64_t>(span, kDayCapacity);
    return {firstDay, static_cast<std::int32_t>(count), span - count};
}

// A reading in no listed window is left out of every row, unless it lies past the days listed
// because the span was cut at the capacity (told apart as days beyond it).
bool IsOutsideTheListedWindows(DateTime t, const ListedDays &days) {
    return !(days.beyondCapacity > 0 && t >= MakeDateTime(days.firstDay + days.count, 0));
}

// In a table that goes back in time, a reading in no listed window is left out because of that:
// the days listed run from the first reading's day to the last reading's.
void TellWhyOutside(DailyReport &report, bool wentBack) {
    if (!wentBack)
        return;
    report.uncounted.take(report.outsideWindows);
    report.outsideWindows = {};
}

bool GoesBackInTime(std::span<const Measurement> readings) {
    return !std::is_sorted(readings.begin(), readings.end(),
                           [](const Measurement &a, const Measurement &b) {
                               return a.Timestamp < b.Timestamp;
                           });
}

// A reading that a window holding it did not count.
bool IsUncounted(bool heldByDay, bool countedByDay, bool heldByNight, bool countedByNight) {
    return (heldByDay && !countedByDay) || (heldByNight && !countedByNight);
}

// The longest stretch without a reading, given the readings' times in time order; the earliest of
// equal stretches.
template <typename Times> void SetLongestGap(WindowFacts &facts, const Times &sortedTimes) {
    facts.longestGapFrom = facts.opens;
    facts.longestGapTo = sortedTimes.empty() ? facts.closes : sortedTimes.front();
    auto consider = [&](DateTime from, DateTime to) {
        if (WholeSeconds(from, to) > facts.longestGapSeconds()) {
            facts.longestGapFrom = from;
            facts.longestGapTo = to;
        }
    };
    for (std::size_t i = 1; i < sortedTimes.size(); ++i)
        consider(sortedTimes[i - 1], sortedTimes[i]);
    if (!sortedTimes.empty())
        consider(sortedTimes.back(), facts.closes);
}

// The edges of consecutive windows, edge(i) for i in [lowest, highest + 1], worked out once:
// finds the window i in [lowest, highest] with edge(i) <= t < edge(i + 1). Edges lie about a day
// apart; readings in time order mostly fall in the window of the reading before them, which is
// tried first.
class WindowEdges {
  public:
    template <typename EdgeAt>
    WindowEdges(std::int64_t lowest, std::int64_t highest, EdgeAt edgeAt)
        : lowest_(lowest), edges_(static_cast<std::size_t>(highest - lowest + 2)) {
        for (std::size_t n = 0; n < edges_.size(); ++n)
            edges_[n] = edgeAt(lowest + static_cast<std::int64_t>(n));
    }

    DateTime open(std::int64_t i) const { return edges_[slot(i)]; }
    DateTime close(std::int64_t i) const { return edges_[slot(i) + 1]; }

    bool holds(DateTime t) const { return t >= edges_.front() && t < edges_.back(); } // not NaN

    /// Precondition: holds(t).
    std::int64_t windowOf(DateTime t) {
        if (!(t >= edges_[last_] && t < edges_[last_ + 1])) {
            // A first guess from the arithmetic, then the edges themselves decide, so that a
            // reading exactly on an edge lands where the comparisons of the plain rule put it.
            const double guess = std::floor(t - edges_.front());
            const auto highestSlot = static_cast<std::int64_t>(edges_.size()) - 2;
            auto n = static_cast<std::size_t>(
                std::clamp<std::int64_t>(static_cast<std::int64_t>(guess), 0, highestSlot));
            while (n > 0 && t < edges_[n])
                --n;
            while (t >= edges_[n + 1])
                ++n;
            last_ = n;
        }
        return lowest_ + static_cast<std::int64_t>(last_);
    }

  private:
    std::size_t slot(std::int64_t i) const { return static_cast<std::size_t>(i - lowest_); }

    std::int64_t lowest_;
    std::vector<DateTime> edges_;
    std::size_t last_ = 0;
};

// During the pass a window's facts are its tally: `opens` and `closes` hold its earliest and
// latest reading so far, [longestGapFrom, longestGapTo) the longest stretch between two of its
// readings. Adds one counted reading; false when it comes before the latest one, that is when the
// window's readings are out of time order. `better(a, b)`: a replaces b as the extreme, so that
// equal values leave the first one found.
template <typename Better>
bool Tally(WindowFacts &w, float &extreme, const Measurement &m, Better better) {
    const DateTime t = m.Timestamp;
    if (w.readingCount++ == 0) {
        extreme = m.Value;
        w.extremeTime = w.opens = w.closes = w.longestGapFrom = w.longestGapTo = t;
        return true;
    }
    if (better(m.Value, extreme)) {
        extreme = m.Value;
        w.extremeTime = t;
    }
    const double gap = t - w.closes;
    if (gap < 0)
        return false;
    // Timestamps are whole seconds: a stretch longer by a second or more is longer in whole
    // seconds, and one within half a second is as long, so the earlier one stays. Cheaper than
    // rounding every stretch.
    if (gap > w.longestGapTo - w.longestGapFrom + kHalfSecond) {
        w.longestGapFrom = w.closes;
        w.longestGapTo = t;
    }
    w.closes = t;
    return true;
}

// Turns a tally of readings in time order into the window's facts.
void FinishTally(WindowFacts &w, DateTime opens, DateTime closes) {
    const DateTime earliest = w.opens;
    const DateTime latest = w.closes;
    const DateTime gapFrom = w.longestGapFrom;
    const DateTime gapTo = w.longestGapTo;
    w.opens = opens;
    w.closes = closes;
    w.longestGapFrom = opens;
    w.longestGapTo = w.readingCount == 0 ? closes : earliest;
    if (w.readingCount == 0)
        return;
    if (WholeSeconds(gapFrom, gapTo) > w.longestGapSeconds()) {
        w.longestGapFrom = gapFrom;
        w.longestGapTo = gapTo;
    }
    if (WholeSeconds(latest, closes) > w.longestGapSeconds()) {
        w.longestGapFrom = latest;
        w.longestGapTo = closes;
    }
}

bool Higher(float a, float b) {
    return a > b;
}
bool Lower(float a, float b) {
    return a < b;
}

// Where a reading stands with the windows of one kind.
struct Offer {
    std::int64_t window = 0; ///< the window that holds it, when held
    bool held = false;
    bool counted = false; ///< held, and reached by that window's scan
};

// Offers every reading, in table order, to the window of each kind that holds it:
// `visit(index, reading, dayOffer, nightOffer)`.
template <typename Visit>
void OfferReadings(std::span<const Measurement> readings, WindowEdges &dayEdges,
                   WindowEdges &nightEdges, Visit visit) {
    // Latest timestamp so far in table order: a scan reaches a reading only while this is
    // before the scan's window close.
    DateTime latest = -std::numeric_limits<DateTime>::infinity();
    auto offer = [&](WindowEdges &edges, DateTime t) {
        Offer o;
        if (edges.holds(t)) {
            o.held = true;
            o.window = edges.windowOf(t);
            o.counted = latest < edges.close(o.window);
        }
        return o;
    };
    for (std::size_t j = 0; j < readings.size(); ++j) {
        const DateTime t = readings[j].Timestamp;
        if (t > latest)
            latest = t;
        visit(j, readings[j], offer(dayEdges, t), offer(nightEdges, t));
    }
}

DayWindows WindowsOf(const ListedDays &days, const OffsetOnDay &offset) {
    return {days.firstDay, offset};
}

} // namespace

OffsetOnDay FixedOffset(int utcOffsetHours) {
    return [seconds = utcOffsetHours * 3600](std::int64_t) { return seconds; };
}

std::int64_t WindowFacts::longestGapSeconds() const {
    return WholeSeconds(longestGapFrom, longestGapTo);
}

std::int64_t WindowFacts::longestGapMinutes() const {
    return (longestGapSeconds() + 59) / 60;
}

bool WindowFacts::complete(std::int32_t gapLimitMinutes) const {
    return readingCount > 0 && longestGapSeconds() <= std::int64_t{gapLimitMinutes} * 60;
}

DateTime DayWindows::dayWindowOpen(std::int64_t k) const {
    return MakeDateTime(firstDay + k, 6 * 3600 + offsetOn(firstDay + k));
}

DateTime DayWindows::nightWindowClose(std::int64_t k) const {
    return MakeDateTime(firstDay + k, 18 * 3600 + offsetOn(firstDay + k));
}

std::int32_t DaysToList(std::span<const Measurement> readings) {
    return ListDays(readings).count;
}

DailyExtremes ScanDailyExtremes(std::span<const Measurement> readings, const OffsetOnDay &offset) {
    const ListedDays listed = ListDays(readings);
    DailyExtremes out;
    out.days.resize(static_cast<std::size_t>(listed.count));
    out.facts.resize(static_cast<std::size_t>(listed.count));
    out.report.daysBeyondCapacity = listed.beyondCapacity;
    const DayWindows windows = WindowsOf(listed, offset);
    std::vector<bool> heldByDay(readings.size()), countedByDay(readings.size());
    std::vector<bool> heldByNight(readings.size()), countedByNight(readings.size());

    // One window as the rule scans it: from the first entry up to the first reading at or after
    // its close; the first reading found sets the extreme, and only a better one replaces it.
    auto scan = [&](DateTime opens, DateTime closes, bool (*better)(float, float), float &value,
                    WindowFacts &facts, std::vector<bool> &held, std::vector<bool> &counted) {
        facts.opens = opens;
        facts.closes = closes;
        std::vector<DateTime> times;
        for (std::size_t j = 0; j < readings.size(); ++j) {
            const Measurement &m = readings[j];
            if (m.Timestamp >= opens && m.Timestamp < closes) {
                if (times.empty() || better(m.Value, value)) {
                    value = m.Value;
                    facts.extremeTime = m.Timestamp;
                }
                times.push_back(m.Timestamp);
                counted[j] = true;
            }
            if (m.Timestamp >= closes)
                break;
        }
        facts.readingCount = static_cast<std::int32_t>(times.size());
        facts.extreme = times.empty() ? 0 : value;
        std::sort(times.begin(), times.end());
        SetLongestGap(facts, times);
        for (std::size_t j = 0; j < readings.size(); ++j)
            if (readings[j].Timestamp >= opens && readings[j].Timestamp < closes)
                held[j] = true;
    };
    for (std::int32_t k = 0; k < listed.count; ++k) {
        DayExtremes &day = out.days[static_cast<std::size_t>(k)];
        DayFacts &facts = out.facts[static_cast<std::size_t>(k)];
        scan(windows.dayWindowOpen(k), windows.dayWindowOpen(k + 1), Higher, day.tx, facts.day,
             heldByDay, countedByDay);
        scan(windows.nightWindowClose(k - 1), windows.nightWindowClose(k), Lower, day.tn,
             facts.night, heldByNight, countedByNight);
    }
    for (std::size_t j = 0; j < readings.size(); ++j) {
        if (IsUncounted(heldByDay[j], countedByDay[j], heldByNight[j], countedByNight[j]))
            out.report.uncounted.note(j);
        else if (!heldByDay[j] && !heldByNight[j] &&
                 IsOutsideTheListedWindows(readings[j].Timestamp, listed))
            out.report.outsideWindows.note(j);
    }
    TellWhyOutside(out.report, GoesBackInTime(readings));
    return out;
}

namespace {

// The sweep, with the windows' facts or, for callers that show none, without their cost.
template <bool kWithFacts>
DailyExtremes Sweep(std::span<const Measurement> readings, const OffsetOnDay &offset) {
    const ListedDays listed = ListDays(readings);
    DailyExtremes out;
    out.report.daysBeyondCapacity = listed.beyondCapacity;
    if (listed.count == 0) {
        for (std::size_t j = 0; j < readings.size(); ++j)
            out.report.outsideWindows.note(j);
        TellWhyOutside(out.report, GoesBackInTime(readings));
        return out;
    }
    const auto dayCount = static_cast<std::size_t>(listed.count);
    const DayWindows windows = WindowsOf(listed, offset);
    // Day window k is [edge k, edge k + 1); night window i is day i + 1's.
    WindowEdges dayEdges(0, listed.count - 1,
                         [&](std::int64_t k) { return windows.dayWindowOpen(k); });
    WindowEdges nightEdges(-1, listed.count - 2,
                           [&](std::int64_t i) { return windows.nightWindowClose(i); });

    // Tallied straight into what is returned: the pass allocates nothing else, since fresh
    // memory costs page faults that would outweigh the pass itself.
    out.days.resize(dayCount);
    if constexpr (kWithFacts) {
        out.facts.resize(dayCount);
    } else {
        // Readings are finite numbers, so the first one of a window always replaces these.
        for (DayExtremes &day : out.days)
            day = {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()};
    }
    std::vector<bool> dayOutOfOrder(dayCount), nightOutOfOrder(dayCount);
    bool someOutOfOrder = false;
    // The pass of OfferReadings written out, since nearly all of the step's time is spent here.
    DateTime latest = -std::numeric_limits<DateTime>::infinity();
    bool wentBack = false;
    for (std::size_t j = 0; j < readings.size(); ++j) {
        const Measurement &m = readings[j];
        const DateTime t = m.Timestamp;
        wentBack = wentBack || t < latest;
        latest = t > latest ? t : latest;
        bool seen = true;
        const bool dayHeld = dayEdges.holds(t);
        std::size_t dayRow = 0, nightRow = 0;
        if (dayHeld) {
            const std::int64_t k = dayEdges.windowOf(t);
            dayRow = static_cast<std::size_t>(k);
            if (!(latest < dayEdges.close(k)))
                seen = false;
            else if constexpr (!kWithFacts) {
                if (m.Value > out.days[dayRow].tx)
                    out.days[dayRow].tx = m.Value;
            } else if (!Tally(out.facts[dayRow].day, out.days[dayRow].tx, m, std::greater<float>()))
                someOutOfOrder = true, dayOutOfOrder[dayRow] = true;
        }
        const bool nightHeld = nightEdges.holds(t);
        if (nightHeld) {
            const std::int64_t i = nightEdges.windowOf(t);
            nightRow = static_cast<std::size_t>(i + 1);
            if (!(latest < nightEdges.close(i)))
                seen = false;
            else if constexpr (!kWithFacts) {
                if (m.Value < out.days[nightRow].tn)
                    out.days[nightRow].tn = m.Value;
            } else if (!Tally(out.facts[nightRow].night, out.days[nightRow].tn, m,
                              std::less<float>()))
                someOutOfOrder = true, nightOutOfOrder[nightRow] = true;
        }
        if (!seen) {
            out.report.uncounted.note(j);
            continue;
        }
        if (!dayHeld && !nightHeld && IsOutsideTheListedWindows(t, listed)) {
            out.report.outsideWindows.note(j);
            continue;
        }
        if (!dayHeld || !nightHeld)
            continue;
        // The readings that follow, each at or after the latest so far and inside the same two
        // windows (the bulk of a file), go to them without looking the windows up.
        const DateTime runEnd = std::min(dayEdges.close(static_cast<std::int64_t>(dayRow)),
                                         nightEdges.close(static_cast<std::int64_t>(nightRow) - 1));
        // Local copies, which stores to the readings' floats cannot alias.
        float tx = out.days[dayRow].tx, tn = out.days[nightRow].tn;
        for (; j + 1 < readings.size(); ++j) {
            const Measurement &next = readings[j + 1];
            if (!(next.Timestamp >= latest && next.Timestamp < runEnd))
                break;
            latest = next.Timestamp;
            if constexpr (kWithFacts) {
                Tally(out.facts[dayRow].day, tx, next, std::greater<float>());
                Tally(out.facts[nightRow].night, tn, next, std::less<float>());
            } else {
                tx = next.Value > tx ? next.Value : tx;
                tn = next.Value < tn ? next.Value : tn;
            }
        }
        out.days[dayRow].tx = tx;
        out.days[nightRow].tn = tn;
    }
    TellWhyOutside(out.report, wentBack);
    if constexpr (!kWithFacts) {
        for (DayExtremes &day : out.days) {
            day.tn = std::isinf(day.tn) ? kEmptyNightMinimum : day.tn;
            day.tx = std::isinf(day.tx) ? kEmptyDayMaximum : day.tx;
        }
        return out;
    }
    for (std::size_t k = 0; k < dayCount; ++k) {
        const auto i = static_cast<std::int64_t>(k);
        FinishTally(out.facts[k].day, dayEdges.open(i), dayEdges.close(i));
        FinishTally(out.facts[k].night, nightEdges.open(i - 1), nightEdges.close(i - 1));
        out.facts[k].day.extreme = out.facts[k].day.readingCount > 0 ? out.days[k].tx : 0;
        out.facts[k].night.extreme = out.facts[k].night.readingCount > 0 ? out.days[k].tn : 0;
    }
    if (!someOutOfOrder)
        return out;

    // Windows whose readings came out of time order: their times, gathered again and sorted.
    std::vector<std::vector<DateTime>> dayTimes(dayCount), nightTimes(dayCount);
    OfferReadings(readings, dayEdges, nightEdges,
                  [&](std::size_t, const Measurement &m, const Offer &day, const Offer &night) {
                      const auto d = static_cast<std::size_t>(day.window);
                      if (day.counted && dayOutOfOrder[d])
                          dayTimes[d].push_back(m.Timestamp);
                      const auto n = static_cast<std::size_t>(night.window + 1);
                      if (night.counted && nightOutOfOrder[n])
                          nightTimes[n].push_back(m.Timestamp);
                  });
    for (std::size_t k = 0; k < dayCount; ++k) {
        for (auto [times, facts] : {std::pair{&dayTimes[k], &out.facts[k].day},
                                    std::pair{&nightTimes[k], &out.facts[k].night}}) {
            if (times->empty())
                continue;
            std::sort(times->begin(), times->end());
            SetLongestGap(*facts, *times);
        }
    }
    return out;
}

} // namespace

DailyExtremes SweepDailyExtremes(std::span<const Measurement> readings, const OffsetOnDay &offset,
                                 bool withFacts) {
    return withFacts ? Sweep<true>(readings, offset) : Sweep<false>(readings, offset);
}

OffsetOnDay OffsetRuleOf(const ProgramTables &tables) {
    if (tables.NamedZone)
        return [zone = tables.NamedZone](std::int64_t day) { return zone->offsetSecondsOn(day); };
    if (tables.UtcOffsetLocalByDate) {
        platform::RefreshTimeZone(); // once: each day's offset then comes from TZ as it is now
        return ZoneOffsetSecondsOn;
    }
    return FixedOffset(tables.UtcOffsetHours);
}

void ComputeDailyExtremes(ProgramTables &tables) {
    const auto readings = tables.MeasurementTable.first(tables.MeasurementCount);
    DailyExtremes computed =
        SweepDailyExtremes(readings, OffsetRuleOf(tables), tables.WindowFactsWanted);
    tables.DailyLeftOut = computed.report;
    tables.DayFactsTable = std::move(computed.facts);
    if (readings.empty())
        return;
    const std::int64_t firstDay = CalendarDay(readings.front().Timestamp);
    const char separator = tables.LocaleDecimalSeparator;
    for (std::size_t i = 0; i < computed.days.size(); ++i) {
        const DayExtremes &day = computed.days[i];
        DayRow &row = tables.DayTable.at(static_cast<std::int64_t>(i) + 1);
        row.DayLabel = FormatDayLabel(static_cast<double>(firstDay + static_cast<std::int64_t>(i)));
        row.Tn = NumberToText(day.tn, separator);
        row.Tx = NumberToText(day.tx, separator);
    }
    tables.DayCount = static_cast<std::int16_t>(computed.days.size());
}

bool IsNewestFirst(std::span<const Measurement> readings) {
    if (readings.size() < 2 || !(readings.back().Timestamp < readings.front().Timestamp))
        return false;
    for (std::size_t j = 1; j < readings.size(); ++j)
        if (!(readings[j].Timestamp <= readings[j - 1].Timestamp))
            return false;
    return true;
}

} // namespace pelk

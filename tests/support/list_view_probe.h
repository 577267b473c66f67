// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// Looking into a results list from tests: one column's texts in display order, and an observer
/// that writes what it is told as one character a notice.
#pragma once

#include "results/list_view.h"

#include <string>
#include <vector>

namespace pelk::testing {

using Strings = std::vector<std::string>;

inline Strings Column(const ListView &list, std::size_t column) {
    Strings texts;
    for (std::int32_t i = 1; i <= list.Count(); ++i)
        texts.push_back(list.Item(i).cell(column).Text);
    return texts;
}

/// "+" a row added, "(" and ")" a layout change, "c" a cell, "a" the appearance.
struct NoticeRecorder : ListViewObserver {
    void rowAboutToBeAdded(std::int32_t) override { log += '+'; }
    void rowAdded() override {}
    void layoutAboutToChange() override { log += '('; }
    void layoutChanged() override { log += ')'; }
    void cellChanged(std::int32_t, std::int32_t) override { log += 'c'; }
    void appearanceChanged() override { log += 'a'; }
    std::string log;
};

} // namespace pelk::testing

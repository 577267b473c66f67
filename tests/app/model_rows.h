// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// What a list shows, as the tests compare it: each row's cells joined by "|".
#pragma once

#include <QAbstractItemModel>
#include <QStringList>

namespace pelk {

inline QStringList Rows(const QAbstractItemModel *model) {
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->index(row, column).data().toString();
        rows << cells.join('|');
    }
    return rows;
}

} // namespace pelk

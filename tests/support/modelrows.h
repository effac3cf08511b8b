// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QAbstractItemModel>
#include <QFont>
#include <QStringList>

// What a view of a list model shows: the display texts of its rows, and which row is in bold (the
// history model's mark of the row that is on the clipboard).
namespace ModelRows {

inline QStringList displayTexts(const QAbstractItemModel &model)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts.append(model.data(model.index(row, 0), Qt::DisplayRole).toString());
    return texts;
}

// The row shown in bold, -1 for none, -2 when several are.
inline int boldRow(const QAbstractItemModel &model)
{
    int bold = -1;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.data(model.index(row, 0), Qt::FontRole).value<QFont>().bold())
            bold = bold == -1 ? row : -2;
    }
    return bold;
}

} // namespace ModelRows

// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QAbstractItemModel>
#include <QObject>
#include <QStringList>

// Writes down every change a model announces, as short lines: "insert 2 2", "remove 3 5",
// "move 4 4 to 2". Anything that is no begin/end pair of rows (data changes, resets, layout
// changes, column changes) is written down by its signal's name, so a test that compares the
// whole list also sees announcements that should not have come. A begin without its matching
// end is written down as "unbalanced".
class ModelSignalRecorder : public QObject
{
    Q_OBJECT

public:
    explicit ModelSignalRecorder(QAbstractItemModel *model)
        : QObject(model)
    {
        using M = QAbstractItemModel;
        connect(model, &M::rowsAboutToBeInserted, this, [this](const QModelIndex &p, int first, int last) {
            begin(p, QStringLiteral("insert %1 %2").arg(first).arg(last));
        });
        connect(model, &M::rowsInserted, this, [this](const QModelIndex &p, int first, int last) {
            end(p, QStringLiteral("insert %1 %2").arg(first).arg(last));
        });
        connect(model, &M::rowsAboutToBeRemoved, this, [this](const QModelIndex &p, int first, int last) {
            begin(p, QStringLiteral("remove %1 %2").arg(first).arg(last));
        });
        connect(model, &M::rowsRemoved, this, [this](const QModelIndex &p, int first, int last) {
            end(p, QStringLiteral("remove %1 %2").arg(first).arg(last));
        });
        connect(model, &M::rowsAboutToBeMoved, this,
                [this](const QModelIndex &p, int first, int last, const QModelIndex &d, int row) {
                    begin(p.isValid() ? p : d,
                          QStringLiteral("move %1 %2 to %3").arg(first).arg(last).arg(row));
                });
        connect(model, &M::rowsMoved, this,
                [this](const QModelIndex &p, int first, int last, const QModelIndex &, int row) {
                    end(p, QStringLiteral("move %1 %2 to %3").arg(first).arg(last).arg(row));
                });
        connect(model, &M::dataChanged, this, [this] { lines.append(QStringLiteral("dataChanged")); });
        connect(model, &M::headerDataChanged, this,
                [this] { lines.append(QStringLiteral("headerDataChanged")); });
        connect(model, &M::layoutAboutToBeChanged, this,
                [this] { lines.append(QStringLiteral("layoutChange")); });
        connect(model, &M::modelAboutToBeReset, this, [this] { lines.append(QStringLiteral("reset")); });
        connect(model, &M::columnsAboutToBeInserted, this,
                [this] { lines.append(QStringLiteral("columns")); });
        connect(model, &M::columnsAboutToBeRemoved, this,
                [this] { lines.append(QStringLiteral("columns")); });
        connect(model, &M::columnsAboutToBeMoved, this, [this] { lines.append(QStringLiteral("columns")); });
    }

    // What was announced since the last call.
    QStringList take()
    {
        QStringList taken = lines;
        if (!open.isEmpty())
            taken.append(QStringLiteral("unbalanced"));
        lines.clear();
        return taken;
    }

private:
    void begin(const QModelIndex &parent, const QString &line)
    {
        if (!open.isEmpty() || parent.isValid())
            lines.append(QStringLiteral("unbalanced"));
        open = line;
    }

    void end(const QModelIndex &parent, const QString &line)
    {
        if (open != line || parent.isValid())
            lines.append(QStringLiteral("unbalanced"));
        else
            lines.append(line);
        open.clear();
    }

    QStringList lines;
    QString open;
};

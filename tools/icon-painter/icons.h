// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QList>
#include <QString>

class QPainter;

// One icon the application ships: the file it is saved as, its square edge in
// pixels and the routine that paints it onto a transparent canvas of that size.
struct IconEntry
{
    QString fileName;
    int size;
    void (*paint)(QPainter &);
};

// Every icon, in the order they are written.
QList<IconEntry> allIcons();

// SPDX-License-Identifier: GPL-2.0-or-later

#include "pastekeys_none.h"

NoPasteKeys::NoPasteKeys(Availability why, QObject *parent)
    : PasteKeys(parent)
    , why(why)
{}

void NoPasteKeys::paste(const QStringList &)
{
    Q_EMIT finished(false, QString());
}

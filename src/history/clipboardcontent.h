// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace Morv {

// One clipboard offer: the bytes offered for each MIME type, exactly as delivered.
//
// No Q_DECLARE_METATYPE here: QHash<QString,QByteArray> is known to the meta-type system already,
// and declaring the alias would make QSettings store the alias instead of the type's own name
// (see Preferences, which keeps the stored name stable).
using ClipboardContent = QHash<QString, QByteArray>;

} // namespace Morv

// SPDX-License-Identifier: GPL-2.0-or-later

#include "legacyclipboardcontent.h"

#include "contentstreamreader.h"

#include <QDataStream>
#include <QMetaType>

namespace Morv {

void LegacyClipboardContent::registerMetaTypes()
{
    static const bool registered = [] {
        qRegisterMetaType<ClipboardContent>();
        qRegisterMetaType<LegacyClipboardContent>("ClipboardContent");
        qRegisterMetaType<LegacyClipboardContent>("Morv::ClipboardContent");
        QMetaType::registerConverter<LegacyClipboardContent, ClipboardContent>(
            [](const LegacyClipboardContent &legacy) { return legacy.content; });
        return true;
    }();
    Q_UNUSED(registered);
}

QDataStream &operator>>(QDataStream &stream, LegacyClipboardContent &legacy)
{
    legacy.content.clear();
    legacy.problem = ContentStreamReader::readEntries(stream, legacy.content);
    if (!legacy.problem.isEmpty() && stream.status() == QDataStream::Ok)
        stream.setStatus(QDataStream::ReadCorruptData);
    return stream;
}

QDataStream &operator<<(QDataStream &stream, const LegacyClipboardContent &legacy)
{
    return stream << legacy.content;
}

} // namespace Morv

// Static initialisation: earlier than anything that could claim the former names for
// ClipboardContent.
static void registerLegacyClipboardContent()
{
    Morv::LegacyClipboardContent::registerMetaTypes();
}
Q_CONSTRUCTOR_FUNCTION(registerLegacyClipboardContent)

// SPDX-License-Identifier: GPL-2.0-or-later

#include "historyadaptor.h"

#include "clipboardwrap.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace Morv {

HistoryAdaptor::HistoryAdaptor(QObject *object, const QString &path)
    : QDBusAbstractAdaptor(object)
    , path(path)
{
    connect(ClipboardWrap::instance(), &ClipboardWrap::pausedChanged, this, &HistoryAdaptor::announce);
}

bool HistoryAdaptor::isPaused() const
{
    return ClipboardWrap::instance()->isPaused();
}

void HistoryAdaptor::pause()
{
    ClipboardWrap::instance()->setPaused(true);
}

void HistoryAdaptor::resume()
{
    ClipboardWrap::instance()->setPaused(false);
}

void HistoryAdaptor::announce(bool paused)
{
    QDBusMessage changed = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("PropertiesChanged"));
    changed << QStringLiteral("org.morv.clip.History") << QVariantMap{{QStringLiteral("paused"), paused}}
            << QStringList();
    QDBusConnection::sessionBus().send(changed);
}

} // namespace Morv

// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QDBusAbstractAdaptor>

namespace Morv {

// The D-Bus interface "org.morv.clip.History" beside "org.morv.clip" on the program's object:
// pause and resume the history (ClipboardWrap::setPaused) and read whether it is paused. A change
// of the state, from here or from the tray, is announced with PropertiesChanged.
class HistoryAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.morv.clip.History")
    Q_PROPERTY(bool paused READ isPaused)

public:
    // Adds the interface to the object, which owns the adaptor and is registered at path with
    // QDBusConnection::ExportAdaptors.
    HistoryAdaptor(QObject *object, const QString &path);

    bool isPaused() const;

public Q_SLOTS:
    void pause();
    void resume();

private:
    void announce(bool paused);

    const QString path;
};

} // namespace Morv

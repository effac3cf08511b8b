// SPDX-License-Identifier: GPL-2.0-or-later

#include "preferences.h"

#include "historysaver.h"
#include "historystore.h"
#include "item.h"
#include "legacyclipboardcontent.h"
#include "privatefile.h"

#include <QCoreApplication>
#include <QEvent>

namespace Morv {

namespace {
const QString historyCountKey = QStringLiteral("historyCount");
const QString displaySizeKey = QStringLiteral("displaySize");
const QString trimKey = QStringLiteral("trim");
const QString shortcutKey = QStringLiteral("shortcut");
const QString trayIconFileKey = QStringLiteral("tray_icon_file");
const QString platformExtensionsKey = QStringLiteral("platformExtensions");
const QString synchronizePSEKey = QStringLiteral("synchronizePSE");
const QString synchronizeHistoryKey = QStringLiteral("synchronizeHistory");
const QString clearItemsOnExitKey = QStringLiteral("clearItemsOnExit");
const QString confirmClearKey = QStringLiteral("confirmClear");
} // namespace

Preferences *Preferences::instance()
{
    // Created before start-up has fixed the identity and the format, the object would read and
    // write some other file for the rest of the run.
    Q_ASSERT_X(
        !QCoreApplication::organizationName().isEmpty() && QSettings::defaultFormat() == QSettings::IniFormat,
        "Morv::Preferences::instance", "created before the application identity and the INI format were set");
    // Never deleted: the settings outlive everything that might still store the history at exit.
    static Preferences *preferences = new Preferences;
    return preferences;
}

Preferences::Preferences()
    : QSettings()
    , saver(new HistorySaver(fileName(), this))
{
    connect(saver, &HistorySaver::written, this, &Preferences::reportWrite);
    // Content files that only the clipboard still offered while the program ran (or that the
    // history no longer names once "clearItemsOnExit" emptied it) go when the application object
    // goes, after the clipboard.
    qAddPostRoutine([] { instance()->saver->removeUnusedNow(); });
    // Stored history contents name their type; reading them needs the type registered first.
    // Registered under its own name only: with an alias registered, QSettings would store the
    // alias (a different one from run to run) instead of "QHash<QString,QByteArray>". The names
    // earlier versions stored go to a type of their own (done during static initialisation
    // already; repeated here so the order does not matter).
    LegacyClipboardContent::registerMetaTypes();
}

Preferences::~Preferences()
{
    sync();
}

int Preferences::historyCount() const
{
    return value(historyCountKey, 10).toInt();
}

int Preferences::displaySize() const
{
    return value(displaySizeKey, 30).toInt();
}

bool Preferences::trim() const
{
    return value(trimKey, true).toBool();
}

QString Preferences::shortcut() const
{
    return value(shortcutKey, QStringLiteral("CTRL+ALT+V")).toString();
}

QString Preferences::trayIconFile() const
{
    return value(trayIconFileKey, QStringLiteral(":/icons/morv-clip.png")).toString();
}

void Preferences::setTrayIconFile(const QString &file)
{
    setValue(trayIconFileKey, file);
    sync();
}

bool Preferences::platformExtensions() const
{
    return value(platformExtensionsKey, false).toBool();
}

int Preferences::synchronizePSE() const
{
    return value(synchronizePSEKey, 0).toInt();
}

bool Preferences::synchronizePSEOnSelect() const
{
    return platformExtensions() && synchronizePSE() != 0;
}

bool Preferences::synchronizePSEInstantly() const
{
    return platformExtensions() && synchronizePSE() == 2;
}

bool Preferences::synchronizeHistory() const
{
    return value(synchronizeHistoryKey, true).toBool();
}

bool Preferences::clearItemsOnExit() const
{
    return value(clearItemsOnExitKey, false).toBool();
}

bool Preferences::confirmClear() const
{
    return value(confirmClearKey, true).toBool();
}

QList<Item> Preferences::loadHistory()
{
    // The history is written past QSettings: what it holds in memory may be older than the file.
    saver->waitForIdle();
    QSettings::sync();
    return HistoryStore::loadHistory(*this);
}

void Preferences::saveHistory(const QList<Item> &items)
{
    HistoryStore::checkStoredTypeName();
    // Pending changes go first: the history written after them is the last word on it, whatever
    // they held. QSettings' idea of the history may then be older than the file; it reads the
    // file again before its next write, and loadHistory() before reading.
    const bool settingsWritten = writeSettings();
    QString error;
    const bool historyWritten = saver->saveNow(items, clearItemsOnExit(), &error);
    reportWrite(settingsWritten && historyWritten, error);
}

void Preferences::saveHistoryInBackground(const QList<Item> &items)
{
    HistoryStore::checkStoredTypeName();
    saver->saveLater(items, clearItemsOnExit());
}

void Preferences::waitForBackgroundSave()
{
    saver->waitForIdle();
    // The outcome comes as a queued call from the saver's thread.
    QCoreApplication::sendPostedEvents(saver, QEvent::MetaCall);
}

void Preferences::removeUnusedContentFiles()
{
    saver->removeUnusedLater();
}

QList<Item> Preferences::loadSticky()
{
    return HistoryStore::loadSticky(*this);
}

void Preferences::saveSticky(const QList<Item> &items)
{
    HistoryStore::saveSticky(*this, items);
}

void Preferences::sync()
{
    const bool settingsWritten = writeSettings();
    // A history written here leaves QSettings' copy of it old; it reads the file again before its
    // next write, and loadHistory() before reading.
    QString error;
    const bool historyWritten = saver->retry(&error);
    reportWrite(settingsWritten && historyWritten, error);
}

bool Preferences::writeSettings()
{
    PrivateFile::make(fileName());
    // QSettings keeps the first error it met for the rest of its life, so the outcome of this
    // write is read from a short-lived settings object on the same file. It shares the pending
    // changes with this one and tries them again if an earlier write failed.
    bool ok = true;
    {
        QSettings writer(fileName(), QSettings::IniFormat);
        writer.sync();
        // A damaged file reads as FormatError but is still rewritten; only AccessError means the write
        // failed.
        ok = writer.status() != QSettings::AccessError;
    }
    QSettings::sync();
    return ok;
}

void Preferences::reportWrite(bool ok, const QString &error)
{
    if (!ok && syncSucceeded)
        qWarning("Could not write the settings file %s%s: the history is kept in memory and written with the "
                 "next successful save",
                 qUtf8Printable(fileName()),
                 qUtf8Printable(error.isEmpty() ? error : QStringLiteral(" (%1)").arg(error)));
    syncSucceeded = ok;
}

bool Preferences::event(QEvent *event)
{
    // QSettings' own deferred write-back goes through the same path as an explicit sync.
    if (event->type() == QEvent::UpdateRequest) {
        sync();
        return true;
    }
    return QSettings::event(event);
}

} // namespace Morv

// SPDX-License-Identifier: GPL-2.0-or-later

#include "preferences.h"

#include "atomicfile.h"
#include "historysaver.h"
#include "historystore.h"
#include "item.h"
#include "legacyclipboardcontent.h"
#include "privatefile.h"
#include "settingsfilecheck.h"
#include "storagelock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QStandardPaths>

namespace Morv {

namespace {

// The settings file: the user's file of the application, where QSettings puts it. Only this one is
// read; QSettings' fallbacks (the organisation's file, the system's files) would be decoded
// unchecked and would mix their "dynamic" and "sticky" groups into the user's history.
QString settingsFileName()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
           QCoreApplication::organizationName() + QLatin1Char('/') + QCoreApplication::applicationName() +
           QStringLiteral(".ini");
}

// The file QSettings reads the preferences from: the settings file once it is safe to read (see
// SettingsFileCheck). One that holds what Qt cannot read safely and cannot be mended is left
// as it is; this run reads a mended copy of it in the private runtime folder instead and stores
// nothing (mended is set then).
QString readableFileName(bool &mended)
{
    const QString fileName = settingsFileName();
    QString error;
    mended = false;
    if (SettingsFileCheck::makeSafe(fileName, &error))
        return fileName;
    mended = true;
    const QString copy = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
                         QStringLiteral("/morv-clip-%1.ini").arg(QCoreApplication::applicationPid());
    QFile file(fileName);
    const QByteArray contents = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    AtomicFile out(copy);
    QString why;
    const QByteArray safe =
        SettingsFileCheck::withoutUnsafeValues(contents, SettingsFileCheck::unsafeValues(contents));
    // Without the copy QSettings finds no file and the preferences read as their defaults.
    if (!out.create(&why) || !out.write(safe.constData(), safe.size(), &why) ||
        !out.commit(AtomicFile::FlushFolder, &why))
        QFile::remove(copy);
    qWarning("%s: %s; it is left as it is, and this run reads a mended copy (%s) and stores no history",
             qUtf8Printable(fileName), qUtf8Printable(error), qUtf8Printable(copy));
    return copy;
}

} // namespace

Preferences *Preferences::instance()
{
    // Created before start-up has fixed the identity and the format, the object would read and
    // write some other file for the rest of the run.
    Q_ASSERT_X(
        !QCoreApplication::organizationName().isEmpty() && QSettings::defaultFormat() == QSettings::IniFormat,
        "Morv::Preferences::instance", "created before the application identity and the INI format were set");
    // Never deleted: the settings outlive everything that might still store the history at exit.
    static Preferences *preferences = [] {
        bool mended = false;
        const QString fileName = readableFileName(mended);
        return new Preferences(fileName, mended);
    }();
    return preferences;
}

Preferences::Preferences(const QString &fileName, bool readsMendedCopy)
    : QSettings(fileName, QSettings::IniFormat)
    , readsMendedCopy(readsMendedCopy)
    , saver(new HistorySaver(fileName, this))
{
    connect(saver, &HistorySaver::written, this, &Preferences::reportWrite);
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
    return PreferenceKeys::historyCount(*this);
}

int Preferences::displaySize() const
{
    return PreferenceKeys::value(*this, Preference::DisplaySize).toInt();
}

bool Preferences::trim() const
{
    return PreferenceKeys::value(*this, Preference::Trim).toBool();
}

QString Preferences::shortcut() const
{
    return PreferenceKeys::value(*this, Preference::Shortcut).toString();
}

QString Preferences::trayIconFile() const
{
    return PreferenceKeys::value(*this, Preference::TrayIconFile).toString();
}

void Preferences::setTrayIconFile(const QString &file)
{
    setPreference(Preference::TrayIconFile, file);
    sync();
}

void Preferences::setPreference(Preference preference, const QVariant &value)
{
    setValue(PreferenceKeys::key(preference), value);
}

bool Preferences::platformExtensions() const
{
    return PreferenceKeys::value(*this, Preference::PlatformExtensions).toBool();
}

int Preferences::synchronizePSE() const
{
    return PreferenceKeys::value(*this, Preference::SynchronizePSE).toInt();
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
    return PreferenceKeys::value(*this, Preference::SynchronizeHistory).toBool();
}

bool Preferences::clearItemsOnExit() const
{
    return PreferenceKeys::clearItemsOnExit(*this);
}

bool Preferences::confirmClear() const
{
    return PreferenceKeys::value(*this, Preference::ConfirmClear).toBool();
}

bool Preferences::showPreviews() const
{
    return PreferenceKeys::value(*this, Preference::ShowPreviews).toBool();
}

bool Preferences::pasteOnChoose() const
{
    return PreferenceKeys::value(*this, Preference::PasteOnChoose).toBool();
}

QStringList Preferences::terminalClasses() const
{
    return PreferenceKeys::terminalClasses(*this);
}

bool Preferences::storesHistory() const
{
    return !readsMendedCopy && StorageLock::acquire();
}

QList<Item> Preferences::loadHistory()
{
    // Another instance stores the history, and may delete any file of it at its next save: this
    // one starts with a history of its own, in memory.
    if (!storesHistory())
        return {};
    // The history is written past QSettings: what it holds in memory may be older than the file.
    saver->waitForIdle();
    // A file changed meanwhile is read again, and decoded.
    if (SettingsFileCheck::makeSafe(fileName()))
        QSettings::sync();
    return HistoryStore::loadHistory(*this);
}

void Preferences::saveHistory(const QList<Item> &items)
{
    if (!storesHistory())
        return;
    HistoryStore::checkStoredTypeName();
    // Pending changes go first: the history written after them is the last word on it, whatever
    // they held. QSettings' idea of the history may then be older than the file; it reads the
    // file again before its next write, and loadHistory() before reading.
    QString error;
    const bool settingsWritten = writeSettings(&error);
    const bool historyWritten = saver->saveNow(items, clearItemsOnExit(), &error);
    reportWrite(settingsWritten && historyWritten, error);
}

void Preferences::saveHistoryInBackground(const QList<Item> &items)
{
    if (!storesHistory())
        return;
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
    if (storesHistory())
        saver->removeUnusedLater();
}

void Preferences::removeContentFilesLeftAtExit()
{
    // Only the instance that stored the history: a process that did not take the storage (a
    // second one that found the bus name taken never asked for it) leaves every file alone.
    if (StorageLock::isHeld())
        saver->removeUnusedNow();
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
    QString error;
    const bool settingsWritten = writeSettings(&error);
    // A history written here leaves QSettings' copy of it old; it reads the file again before its
    // next write, and loadHistory() before reading.
    // A history whose write failed is written again on the saver's thread, which reports it.
    const bool historyWritten = saver->retryLater();
    reportWrite(settingsWritten && historyWritten, error);
}

bool Preferences::writeSettings(QString *error)
{
    // Writing reads the file again when it changed, and decodes all of it.
    if (!SettingsFileCheck::makeSafe(fileName(), error))
        return false;
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

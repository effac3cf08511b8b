// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "preferencekeys.h"

#include <QList>
#include <QSettings>
#include <QString>

namespace Morv {

class HistorySaver;
class Item;

// The program's one settings object: typed readers for every preference, each with its default,
// and the stored history and sticky lists. Nothing is cached: every reader asks QSettings at the
// moment it is called, so a value written by the preferences dialog is seen by the next read.
class Preferences : public QSettings
{
    Q_OBJECT

public:
    // The process-wide instance. The first call binds it to the settings file, so it must come
    // after start-up has set the organisation, the application name and the INI default format.
    static Preferences *instance();

    ~Preferences() override;

    int historyCount() const;
    int displaySize() const;
    bool trim() const;
    QString shortcut() const;
    QString trayIconFile() const;
    void setTrayIconFile(const QString &file);
    // Writes a preference under its key (see PreferenceKeys); reaches the disk with the next sync().
    void setPreference(Preference preference, const QVariant &value);
    bool platformExtensions() const;
    int synchronizePSE() const;
    bool synchronizePSEOnSelect() const;
    bool synchronizePSEInstantly() const;
    bool synchronizeHistory() const;
    bool clearItemsOnExit() const;
    bool confirmClear() const;
    // Whether picture entries show a thumbnail, their size and a larger preview.
    bool showPreviews() const;
    bool pasteOnChoose() const;
    QStringList terminalClasses() const;

    // Whether this process stores the history: the first instance of the user's home does (it
    // takes StorageLock on the first call). Another one keeps its history in memory: it loads no
    // stored history, and stores and deletes nothing.
    bool storesHistory() const;

    // The stored history; a save still being written in the background is waited for. Empty when
    // this process does not store the history.
    QList<Item> loadHistory();
    // Writes the history now and ends with sync(): the file holds it when this returns.
    void saveHistory(const QList<Item> &items);
    // Writes the history on a thread of its own and returns at once; only the newest of several
    // saves asked for in a row is written. A failed write is reported like a failed sync().
    void saveHistoryInBackground(const QList<Item> &items);
    // Waits until background saves are written, and reports their outcome.
    void waitForBackgroundSave();
    // Deletes, in the background, the content files of large formats that neither the stored
    // history nor the program refers to: what a crash left behind. At start-up.
    void removeUnusedContentFiles();
    // The last removal, once the program's clipboard offers are gone (after the application
    // object and the clipboard backend): what only they held goes, and with "clearItemsOnExit"
    // everything. Does nothing in a process that has not stored the history.
    void removeContentFilesLeftAtExit();
    QList<Item> loadSticky();
    void saveSticky(const QList<Item> &items);

    // Writes pending changes to disk, and queues a history whose background write failed. Hides
    // QSettings::sync() so that every write goes through the same path: the file is created
    // private to the user, and a failed write is reported once.
    void sync();

    // Whether the last sync() reached the disk.
    bool lastSyncSucceeded() const { return syncSucceeded; }

protected:
    bool event(QEvent *event) override;

private:
    Preferences(const QString &fileName, bool readsMendedCopy);

    // Writes the pending changes; false, with the reason if there is one, when the file could not be
    // written.
    bool writeSettings(QString *error);
    void reportWrite(bool ok, const QString &error = QString());

    // Whether the settings file could not be made safe to read (see SettingsFileCheck), so that a
    // mended copy of it is read instead and no history is stored.
    const bool readsMendedCopy;
    HistorySaver *saver;
    bool syncSucceeded = true;
};

} // namespace Morv

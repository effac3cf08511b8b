#pragma once

#include <QList>
#include <QSettings>
#include <QString>

namespace Morv {

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
    bool platformExtensions() const;
    int synchronizePSE() const;
    bool synchronizePSEOnSelect() const;
    bool synchronizePSEInstantly() const;
    bool synchronizeHistory() const;
    bool clearItemsOnExit() const;
    bool confirmClear() const;

    QList<Item> loadHistory();
    void saveHistory(const QList<Item> &items);
    QList<Item> loadSticky();
    void saveSticky(const QList<Item> &items);

    // Writes pending changes to disk. Hides QSettings::sync() so that every write goes through the
    // same path: the file is created private to the user, and a failed write is reported once.
    void sync();

    // Whether the last sync() reached the disk.
    bool lastSyncSucceeded() const { return syncSucceeded; }

protected:
    bool event(QEvent *event) override;

private:
    Preferences();

    void makeFilePrivate();

    bool syncSucceeded = true;
};

} // namespace Morv

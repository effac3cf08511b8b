// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "ksystemclipboard.h"

#include "clipboardcontent.h"

#include <QList>
#include <QMimeData>

#include <array>
#include <memory>

// A clipboard that lives inside the process, for tests. It holds one offer for each of the three
// clipboards and reports changes the way a test asks for: synchronously inside the program's own
// write (as xcb does), later as an event of its own (as a compositor round trip does), several
// times per change, or not at all. Tests also play the other programs: a copy elsewhere, or an
// owner that exits and leaves an offer without formats behind.
class FakeSystemClipboard : public KSystemClipboard
{
    Q_OBJECT

public:
    // How a change is reported.
    enum class Report {
        Synchronous, // changed() is emitted inside the call that made the change
        Queued,      // changed() is emitted later, from a posted event of its own
        Silent,      // nothing is emitted
    };

    // One write made by the program through setMimeData.
    struct Write
    {
        QClipboard::Mode mode;
        QStringList formats; // in the order the program set them
        Morv::ClipboardContent content;
    };

    explicit FakeSystemClipboard(QObject *parent = nullptr);
    ~FakeSystemClipboard() override;

    // Installs a new fake as the process-wide clipboard and returns it (owned by KSystemClipboard).
    // Once per process, before the clipboard wrapper is first used; reset() prepares the next test.
    static FakeSystemClipboard *install();

    const QMimeData *mimeData(QClipboard::Mode mode) const override;
    // Null unless setSharesOffers(true), as for a backend that cannot share its offers.
    std::shared_ptr<const QMimeData> sharedMimeData(QClipboard::Mode mode) const override;
    // Whether offers are shared like the X11 and Wayland backends share theirs. Default: no.
    void setSharesOffers(bool shares) { sharing = shares; }
    // What the program last asked of setSelectionWatched (false until it asks).
    void setSelectionWatched(bool watched) override { selectionWatched = watched; }
    bool watchesSelection() const { return selectionWatched; }
    // What the program last asked of setReadingPaused (false until it asks). Copies simulated
    // meanwhile are still reported: the fake plays the platform, not the backend's switch.
    void setReadingPaused(bool paused) override { readingPaused = paused; }
    bool isReadingPaused() const { return readingPaused; }
    void setMimeData(QMimeData *mime, QClipboard::Mode mode) override;

    // How the program's own writes are reported, and how many times each (several notifications for
    // one change, as some platforms send). Defaults: Synchronous, once.
    void setWriteReport(Report report, int times = 1);

    // Another program copies: its offer becomes the current one of that clipboard. Takes ownership.
    void simulateCopy(QMimeData *mime, QClipboard::Mode mode = QClipboard::Clipboard,
                      Report report = Report::Synchronous);
    // The same with one "text/plain" format holding the text in UTF-8.
    void simulateCopy(const QString &text, QClipboard::Mode mode = QClipboard::Clipboard,
                      Report report = Report::Synchronous);

    // The program that owned the clipboard exits: the offer lists no formats any more.
    void simulateOwnerExit(QClipboard::Mode mode = QClipboard::Clipboard,
                           Report report = Report::Synchronous);

    // Reports a change of the clipboard without changing its offer.
    void notify(QClipboard::Mode mode, Report report = Report::Synchronous);

    // Forgets every offer (mimeData() then answers null for all clipboards) and the write log,
    // and restores the default write report. Reports nothing.
    void reset();

    // The formats of the current offer with their bytes; empty when there is none.
    Morv::ClipboardContent content(QClipboard::Mode mode) const;

    // The program's writes, oldest first.
    const QList<Write> &writes() const { return writeLog; }
    void clearWrites() { writeLog.clear(); }

    // A mime data with the given formats set in the given order.
    static QMimeData *mimeData(const QList<std::pair<QString, QByteArray>> &formats);

private:
    void report(QClipboard::Mode mode, Report how, int times);
    static int slot(QClipboard::Mode mode);
    static Morv::ClipboardContent contentOf(const QMimeData *mime);

    std::array<std::shared_ptr<QMimeData>, 3> offers;
    bool sharing = false;
    bool selectionWatched = false;
    bool readingPaused = false;
    Report writeReport = Report::Synchronous;
    int writeReportTimes = 1;
    QList<Write> writeLog;
};

// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "ksystemclipboard.h"
#include "x11selectionwatcher.h"

#include <QSemaphore>

#include <array>
#include <memory>

class QThread;

// The clipboard and the primary selection of an X11 display, read without ever making the GUI
// thread wait for another program. Qt's own clipboard reads a foreign offer on the GUI thread when
// asked, waits up to 5 s for each answer and returns a read that timed out as empty data; a hung
// owner froze the applet and looked like an emptied clipboard.
//
// Here a thread of its own, with an X connection of its own, watches the owners and reads every
// new offer completely (X11SelectionWatcher) before changed() is emitted, so that mimeData()
// answers at once from bytes in memory. A read that fails is not taken: the owner makes no
// progress for defaultReadTimeout ms, offers more than maximumOfferSize, does not answer TARGETS
// with a list of atoms, or sends none of the formats it lists. Then no change is reported, one
// warning names its window, and mimeData() goes on answering what it answered before. Only an
// owner that is gone (its window destroyed, its client closed, the selection let go) or one that
// lists no formats empties a selection.
//
// The primary selection is read only while it is watched (setSelectionWatched, off at first):
// until then, and from the moment it is switched off, it reads as an offer without formats, or as
// our own content while that is on it, and its changes are not reported. Switched on, the owner
// of the moment is read and reported as a change.
//
// While reading is paused (setReadingPaused) neither selection is read, and both read like an
// unwatched primary selection; resumed, the owners of that moment are left unread.
//
// Our own content is served on the same thread (X11SelectionOwner), from a snapshot of it taken at
// the write (OfferSnapshot): no paste, however large, costs the GUI thread anything, and pasting
// it into this very process through QClipboard works like any other program's paste. Each write
// is stamped with a fresh server time: the X server silently ignores an ownership older than the
// current owner's. Our own content coming back is not reported as a change. When the reading ends
// at exit, the clipboard is first handed to the desktop's clipboard manager, if there is one.
//
// There is no find buffer: it reads as no offer and ignores writes.
class X11SystemClipboard : public KSystemClipboard
{
    Q_OBJECT

public:
    // How long start-up waits for the content already on the selections, in ms. What takes longer
    // is reported as a change once read.
    static constexpr int startUpWait = 1000;

    // Where offers are read: on a thread of the clipboard's own, or on the GUI thread, driven by its
    // event loop, which only the benchmark uses (to compare). On the GUI thread there is no
    // start-up wait.
    enum class ReaderThread { Own, Gui };

    // The clipboards of the display Qt's xcb platform is connected to, with the content of the
    // moment already read (waiting startUpWait ms at most). Null, after one warning, when no
    // connection of its own or no XFixes is to be had. Only under Qt's xcb platform. writeTimeout:
    // how long a program pasting our content may read nothing before its paste is given up.
    static std::unique_ptr<X11SystemClipboard> create(ReaderThread readerThread = ReaderThread::Own,
                                                      int writeTimeout = defaultWriteTimeout);

    ~X11SystemClipboard() override;

    const QMimeData *mimeData(QClipboard::Mode mode) const override;
    std::shared_ptr<const QMimeData> sharedMimeData(QClipboard::Mode mode) const override;
    void setMimeData(QMimeData *mime, QClipboard::Mode mode) override;
    void setSelectionWatched(bool watched) override;
    void setReadingPaused(bool paused) override;

    // Ends reading and serving; the content already read stays readable. Before that, when our
    // content is on the clipboard and the desktop has a clipboard manager, hands the clipboard
    // over to it (X11SelectionOwner::handOverWait at most), so that the content outlives the
    // program. Called before the application object goes, and by the destructor.
    void stopReading();

protected:
    void releasePlatform() override;

private:
    X11SystemClipboard(std::unique_ptr<X11SelectionWatcher::Shared> shared,
                       std::unique_ptr<X11SelectionWatcher> watcher, ReaderThread readerThread);

    void offerRead(QClipboard::Mode mode, quint32 time, const RawMimeData::Entries &entries,
                   const RawMimeData::DecodedTexts &texts);
    void ownerGone(QClipboard::Mode mode, quint32 change, quint32 time);
    void offerNotRead(QClipboard::Mode mode, quint32 change, quint32 time);
    bool isWatched(int index) const;
    void tellWatcher(int index, bool watched, bool readOwnerNow);
    bool isCurrentChange(int index, quint32 change, quint32 time) const;
    void readProblem(QClipboard::Mode mode, const QString &reason);
    bool waitForStartUpContent(int timeout);
    bool isBeforeOwnWrite(int index, quint32 time) const;
    void handOver();
    quint32 stampWithServerTime();

    // Declared first: the watcher uses it until its thread has ended.
    std::unique_ptr<X11SelectionWatcher::Shared> shared;
    std::unique_ptr<QThread> thread;
    std::unique_ptr<X11SelectionWatcher> guiThreadWatcher;
    // The watcher, on whichever thread it lives; null once reading has ended.
    X11SelectionWatcher *watcher = nullptr;
    // What mimeData() answers: the offer last read, or our own content, whose snapshot the reader
    // serves.
    std::array<std::shared_ptr<QMimeData>, 2> current;
    std::array<bool, 2> holdsOwnContent = {false, false};
    // The server's time at which the selection was seen without owner, while nothing newer is known
    // of it; 0 otherwise. A write into that state is dated with it, so that the server ignores it if
    // another program has taken the selection meanwhile: putting back the history's newest entry
    // never takes a newer copy away.
    std::array<quint32, 2> emptiedAt = {0, 0};
    // Released by the reader's thread once the clipboard manager has the clipboard, or at its end.
    QSemaphore handedOver;
    bool selectionWatched = false;
    bool readingPaused = false;
};

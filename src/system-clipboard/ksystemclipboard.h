// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QClipboard>
#include <QObject>

#include <memory>

class QMimeData;

// Access to the system clipboards that works whatever the display system: the program's only way
// to the platform's clipboard, selection and find buffer. One backend serves the whole process;
// it is chosen from the Qt platform when the instance is first asked for.
class KSystemClipboard : public QObject
{
    Q_OBJECT

public:
    ~KSystemClipboard() override;

    // The process-wide clipboard; needs the application object.
    static KSystemClipboard *instance();

    // Makes the given backend the process-wide clipboard from now on and destroys the previous one.
    // For tests: call it before anything asks for instance(). Morv::ClipboardWrap keeps the backend
    // it was created with, so replacing that one leaves the wrapper with a dangling pointer.
    static void setInstance(std::unique_ptr<KSystemClipboard> clipboard);

    // The largest offer a backend reads from another program, all its formats together, in bytes.
    // A larger one is not taken (one warning), so that an owner that streams without end cannot
    // exhaust the memory.
    static constexpr qsizetype maximumOfferSize = qsizetype(256) * 1024 * 1024;

    // The most formats a backend takes of one offer: the first ones its owner lists, with one
    // warning for the rest. Programs list a few dozen at most; a list of millions (a broken or
    // hostile owner) would otherwise cost minutes and the memory of a name for each.
    static constexpr qsizetype maximumOfferFormats = 1000;

    // Silence from another program's offer after which a backend gives its read up, in ms. An
    // offer not read whole is not taken (one warning, no change): the selection is not empty.
    static constexpr int defaultReadTimeout = 2000;
    // Silence from a program pasting our content after which serving it is given up, in ms.
    static constexpr int defaultWriteTimeout = 30000;

    // The current offer of a clipboard, or null. The caller does not own it, and it may change
    // with the next change of that clipboard.
    virtual const QMimeData *mimeData(QClipboard::Mode mode) const = 0;

    // The current offer of a clipboard, shared: it stays readable after the clipboard has moved on,
    // for as long as the caller holds it. Null where the backend cannot share it (Qt's clipboard
    // deletes its offers itself); callers then read mimeData() at once.
    virtual std::shared_ptr<const QMimeData> sharedMimeData(QClipboard::Mode mode) const;

    // Publishes the data on a clipboard and takes ownership of it. A mode the platform does not
    // have ignores the write (the data is deleted).
    virtual void setMimeData(QMimeData *mime, QClipboard::Mode mode) = 0;

    // While not watched, the primary selection (Selection) is not read: no byte of what the user
    // selects with the mouse is fetched, and no change of it is reported; our own writes to it
    // still work; what an unwatched selection reads as is the backend's to say. A backend is
    // created not watching it. Backends that read nothing ahead ignore it.
    virtual void setSelectionWatched(bool watched);

    // While paused, no offer of another program is read, on any clipboard, and no change is
    // reported: not a byte of what the user copies meanwhile is fetched. Our own writes still
    // work; a clipboard reads as our own content while that is on it, else as no offer. Resumed,
    // what the clipboards hold at that moment stays unread (it was put there while paused): the
    // next change is read and reported as usual. A backend is created not paused. Backends that
    // read nothing ahead ignore it.
    virtual void setReadingPaused(bool paused);

Q_SIGNALS:
    // Some clipboard's content changed.
    void changed(QClipboard::Mode mode);

protected:
    explicit KSystemClipboard(QObject *parent = nullptr);

    // For a backend with a connection to the display system or a thread of its own, once made:
    // releasePlatform() is then called when the application object goes (Qt closes its platform
    // connection inside that object's destructor), though the process-wide clipboard itself lives
    // until static destruction. Every backend so made is in one list, left when it is destroyed.
    void releasePlatformAtExit();

    // Lets go of the platform: reads, and the serving of our own content, end; what was read stays
    // readable. Also called by a backend's own destructor; once is enough.
    virtual void releasePlatform();

private:
    static void releaseAll();
};

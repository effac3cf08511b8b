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

Q_SIGNALS:
    // Some clipboard's content changed.
    void changed(QClipboard::Mode mode);

protected:
    explicit KSystemClipboard(QObject *parent = nullptr);
};

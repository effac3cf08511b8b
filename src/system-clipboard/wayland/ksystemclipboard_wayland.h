// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "datacontroldevice.h"
#include "ksystemclipboard.h"

#include <memory>

class OfferReader;
class OfferSnapshot;

// The clipboards of a Wayland session, seen through the compositor's data-control protocol (a
// background client never has keyboard focus, so QClipboard would see nothing made by others).
//
// Every new offer of another client is read, asynchronously, and reported with changed() once it
// is in memory, so mimeData() always answers at once from data already read (what is read: see
// OfferReader; a secret's hint and nothing else). An offer not read whole (an owner that sends
// nothing for defaultReadTimeout ms, a failed read, more than maximumOfferSize) is not taken: one
// warning, no change, and mimeData() answers what it did before. Only the compositor's word that a
// selection has no offer empties it. Our own content is served by the device on a thread of its
// own, from a snapshot taken at the write (OfferSnapshot), to any number of pastes at once, this
// process's own windows included; while it is on a selection, the compositor's echo of it is not
// reported as a change, and our own writes report nothing either.
//
// The primary selection is Selection, when the compositor offers it, and is read only while it is
// watched (setSelectionWatched); there is no find buffer: it reads as no offer and ignores writes.
// While reading is paused (setReadingPaused) no offer is read: each is dropped unread as it comes.
class WaylandSystemClipboard
    : public KSystemClipboard
    , private DataControlDevice::Client
{
    Q_OBJECT

public:
    // How long start-up waits for the content already on the clipboards, in ms. What takes longer
    // is reported as a change when it has arrived.
    static constexpr int startUpWait = 1000;

    // The clipboards of the compositor that Qt's Wayland platform is connected to, with the content
    // of the moment already read (waiting startUpWait ms at most). Null, after one warning, when
    // that compositor offers no data-control protocol. Only does anything under a Wayland platform.
    static std::unique_ptr<WaylandSystemClipboard> create();

    // Works on the given device (tests hand in fakes). readTimeout in ms; the write time-out is the
    // device's.
    explicit WaylandSystemClipboard(std::unique_ptr<DataControlDevice> device,
                                    int readTimeout = defaultReadTimeout, QObject *parent = nullptr);
    ~WaylandSystemClipboard() override;

    const QMimeData *mimeData(QClipboard::Mode mode) const override;
    std::shared_ptr<const QMimeData> sharedMimeData(QClipboard::Mode mode) const override;
    void setMimeData(QMimeData *mime, QClipboard::Mode mode) override;

    // Waits in place, at most timeout ms, for the offers being read. For start-up, before anything
    // of ours is on a clipboard. True when nothing is left to read.
    bool waitForReads(int timeout);

    void setSelectionWatched(bool watched) override;
    void setReadingPaused(bool paused) override;

protected:
    // Lets go of the compositor: reads, sources and pastes in progress end. The content already
    // read stays readable. Called before Qt's Wayland connection goes away.
    void releasePlatform() override;

private:
    struct Selection
    {
        std::shared_ptr<QMimeData> data;
        // Our own content while it is on the selection, served from a snapshot of data.
        std::unique_ptr<DataControlDevice::Source> source;
        OfferReader *reader = nullptr;
        // The offer of the primary selection while it is not watched, to be read once it is.
        std::unique_ptr<DataControlDevice::Offer> unread;
        // We cleared this selection; its empty echo is ours.
        bool clearedByUs = false;
    };

    void selectionOffered(QClipboard::Mode mode, std::unique_ptr<DataControlDevice::Offer> offer) override;
    void sourceCancelled(DataControlDevice::Source *source) override;
    void deviceFinished() override;

    Selection *selection(QClipboard::Mode mode);
    const Selection *selection(QClipboard::Mode mode) const;
    void startReading(QClipboard::Mode mode, std::unique_ptr<DataControlDevice::Offer> offer);
    void stopReading(Selection &selection);
    void readFinished(QClipboard::Mode mode, OfferReader *reader);
    // What a source of ours offers for the mime data, each type with its bytes.
    static OfferSnapshot served(const QMimeData &mime);

    std::unique_ptr<DataControlDevice> device;
    const int readTimeoutMs;
    const bool hasPrimary;
    bool selectionWatched = false;
    bool readingPaused = false;
    Selection clipboard;
    Selection primary;
};

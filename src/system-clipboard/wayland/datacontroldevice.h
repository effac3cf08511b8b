// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QClipboard>
#include <QStringList>

#include <memory>

class OfferSnapshot;

// The clipboard-manager side of a Wayland seat, as the Wayland clipboard backend uses it: the
// compositor announces every new content of the clipboard and the primary selection as an offer,
// and takes sources for content of our own. Implemented over the ext and the wlr data-control
// protocols (datacontroldevice_wayland.cpp), and by fakes in tests. Everything below is called
// and reported on the GUI thread; only the pastes of our own sources are served on a thread of the
// device's own (SourceServer), from the content given when the source was made.
class DataControlDevice
{
public:
    // Content another client put on a selection. Destroying it destroys the protocol object.
    class Offer
    {
    public:
        virtual ~Offer() = default;
        // The types in the order the owner announced them.
        virtual QStringList mimeTypes() const = 0;
        // Asks the owner to write the content of one type into fd, the write end of a pipe, and to
        // close it when done. The request is on its way when this returns; the caller still owns
        // its copy of fd and closes it.
        virtual void receive(const QString &mimeType, int fd) = 0;
    };

    // Content of our own on a selection. Destroying it withdraws the content.
    class Source
    {
    public:
        virtual ~Source() = default;
    };

    // Receives the device's events. The device may be destroyed from inside deviceFinished, and a
    // source from inside sourceCancelled.
    class Client
    {
    public:
        // A selection changed: the new offer, or null when the selection is now empty. Our own
        // sources come back this way too, as offers.
        virtual void selectionOffered(QClipboard::Mode mode, std::unique_ptr<Offer> offer) = 0;
        // The source no longer backs a selection (another client took it over). Never for a
        // source already destroyed.
        virtual void sourceCancelled(Source *source) = 0;
        // The compositor withdrew the device (its seat is gone): no more events will come.
        virtual void deviceFinished() = 0;

    protected:
        ~Client() = default;
    };

    virtual ~DataControlDevice() = default;

    // Starts delivering events to the client, beginning with the selections as they are now
    // (the primary selection only when the device has one).
    virtual void setClient(Client *client) = 0;

    // Whether the compositor lets us watch and set the primary selection.
    virtual bool hasPrimarySelection() const = 0;

    // A new source offering the content's formats, in their order, and serving every paste of them
    // from the content, on the device's serving thread. Sources must not outlive the device.
    virtual std::unique_ptr<Source> createSource(std::shared_ptr<const OfferSnapshot> content) = 0;

    // Makes the source the content of the clipboard (Clipboard) or of the primary selection
    // (Selection); null clears that selection. A source can be set only once.
    virtual void setSelection(QClipboard::Mode mode, Source *source) = 0;
};

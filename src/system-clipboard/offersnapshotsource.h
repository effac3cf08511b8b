// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

class OfferSnapshot;

// Mime data that knows how to give its bytes on another thread. A backend that serves our own
// content away from the GUI thread (the X11 backend) asks for the snapshot once, on the GUI thread,
// when the content is written; mime data that does not implement this is snapshotted by asking it
// for every format's bytes at that moment (OfferSnapshot::of()).
class OfferSnapshotSource
{
public:
    // Called on the thread the mime data lives on. Must not wait for files or other programs:
    // bytes not in memory yet go in as pending bytes (OfferSnapshot::addPending()).
    virtual OfferSnapshot snapshot() const = 0;

protected:
    ~OfferSnapshotSource() = default;
};

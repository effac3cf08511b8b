// SPDX-License-Identifier: GPL-2.0-or-later

#include "datacontroldevice_wayland.h"

#include "ext-data-control-v1-client-protocol.h"
#include "offersnapshot.h"
#include "sourceserver.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <unistd.h>
#include <vector>

namespace {

// Both protocols have the same requests and events in the same order; only the names differ.
// A traits struct maps the generic operations the classes below use onto one protocol's
// generated functions.
#define MORV_DATA_CONTROL_TRAITS(Traits, prefix, primaryVersion)                                             \
    struct Traits                                                                                            \
    {                                                                                                        \
        using Manager = prefix##_manager_v1;                                                                 \
        using Device = prefix##_device_v1;                                                                   \
        using Source = prefix##_source_v1;                                                                   \
        using Offer = prefix##_offer_v1;                                                                     \
        using DeviceListener = prefix##_device_v1_listener;                                                  \
        using SourceListener = prefix##_source_v1_listener;                                                  \
        using OfferListener = prefix##_offer_v1_listener;                                                    \
        static constexpr uint32_t primarySelectionSince = primaryVersion;                                    \
        static const wl_interface *managerInterface() { return &prefix##_manager_v1_interface; }             \
        static Device *getDevice(Manager *manager, wl_seat *seat)                                            \
        {                                                                                                    \
            return prefix##_manager_v1_get_data_device(manager, seat);                                       \
        }                                                                                                    \
        static Source *createSource(Manager *manager)                                                        \
        {                                                                                                    \
            return prefix##_manager_v1_create_data_source(manager);                                          \
        }                                                                                                    \
        static void destroy(Manager *manager) { prefix##_manager_v1_destroy(manager); }                      \
        static void destroy(Device *device) { prefix##_device_v1_destroy(device); }                          \
        static void destroy(Source *source) { prefix##_source_v1_destroy(source); }                          \
        static void destroy(Offer *offer) { prefix##_offer_v1_destroy(offer); }                              \
        static void listen(Device *device, const DeviceListener *listener, void *data)                       \
        {                                                                                                    \
            prefix##_device_v1_add_listener(device, listener, data);                                         \
        }                                                                                                    \
        static void listen(Source *source, const SourceListener *listener, void *data)                       \
        {                                                                                                    \
            prefix##_source_v1_add_listener(source, listener, data);                                         \
        }                                                                                                    \
        static void listen(Offer *offer, const OfferListener *listener, void *data)                          \
        {                                                                                                    \
            prefix##_offer_v1_add_listener(offer, listener, data);                                           \
        }                                                                                                    \
        static void setSelection(Device *device, Source *source)                                             \
        {                                                                                                    \
            prefix##_device_v1_set_selection(device, source);                                                \
        }                                                                                                    \
        static void setPrimarySelection(Device *device, Source *source)                                      \
        {                                                                                                    \
            prefix##_device_v1_set_primary_selection(device, source);                                        \
        }                                                                                                    \
        static void offer(Source *source, const char *mimeType)                                              \
        {                                                                                                    \
            prefix##_source_v1_offer(source, mimeType);                                                      \
        }                                                                                                    \
        static void receive(Offer *offer, const char *mimeType, int fd)                                      \
        {                                                                                                    \
            prefix##_offer_v1_receive(offer, mimeType, fd);                                                  \
        }                                                                                                    \
    };

MORV_DATA_CONTROL_TRAITS(ExtProtocol, ext_data_control,
                         EXT_DATA_CONTROL_DEVICE_V1_SET_PRIMARY_SELECTION_SINCE_VERSION)
MORV_DATA_CONTROL_TRAITS(WlrProtocol, zwlr_data_control,
                         ZWLR_DATA_CONTROL_DEVICE_V1_SET_PRIMARY_SELECTION_SINCE_VERSION)

#undef MORV_DATA_CONTROL_TRAITS

// The highest versions this file knows how to speak.
constexpr uint32_t extVersion = 1;
constexpr uint32_t wlrVersion = 2;

wl_proxy *asProxy(void *object)
{
    return static_cast<wl_proxy *>(object);
}

template<typename P>
class WaylandOffer final : public DataControlDevice::Offer
{
public:
    WaylandOffer(typename P::Offer *offer, wl_display *display)
        : offer(offer)
        , display(display)
    {
        P::listen(offer, &listener, this);
    }

    ~WaylandOffer() override
    {
        P::destroy(offer);
        wl_display_flush(display);
    }

    QStringList mimeTypes() const override { return types; }

    void receive(const QString &mimeType, int fd) override
    {
        // libwayland duplicates fd while marshalling, so the caller may close its copy at once.
        P::receive(offer, mimeType.toUtf8().constData(), fd);
        wl_display_flush(display);
    }

    typename P::Offer *proxy() const { return offer; }

private:
    static void offered(void *data, typename P::Offer *, const char *mimeType)
    {
        static_cast<WaylandOffer *>(data)->types.append(QString::fromUtf8(mimeType));
    }

    static constexpr typename P::OfferListener listener = {&offered};

    typename P::Offer *offer;
    wl_display *display;
    QStringList types;
};

// A source of ours as the serving thread knows it: its protocol object belongs to the serving
// queue, so its events are dispatched there, and so it is destroyed there (SourceServer).
template<typename P>
class WaylandServed final : public SourceServer::Served
{
public:
    WaylandServed(typename P::Source *source, std::shared_ptr<const OfferSnapshot> content,
                  SourceServer &server)
        : Served(std::move(content))
        , source(source)
        , server(server)
    {
        // Before the compositor can know the source: no event of it can be dispatched yet.
        P::listen(source, &listener, this);
    }

    // The request goes out with the serving thread's next flush.
    ~WaylandServed() override { P::destroy(source); }

private:
    static void send(void *data, typename P::Source *, const char *mimeType, int32_t fd)
    {
        auto *self = static_cast<WaylandServed *>(data);
        self->server.send(*self, QString::fromUtf8(mimeType), fd);
    }

    static void cancelled(void *data, typename P::Source *)
    {
        auto *self = static_cast<WaylandServed *>(data);
        self->server.cancel(*self);
    }

    static constexpr typename P::SourceListener listener = {&send, &cancelled};

    typename P::Source *source;
    SourceServer &server;
};

// The event queue of our sources, read and dispatched on the serving thread. Qt reads the same
// connection on threads of its own; libwayland lets every reader prepare, wait, then read (or
// cancel) and dispatch its own queue: whoever reads hands each queue its events.
class ServingQueue final : public SourceServer::Events
{
public:
    explicit ServingQueue(wl_display *display)
        : display(display)
        , queue(wl_display_create_queue(display))
    {}

    ~ServingQueue() { wl_event_queue_destroy(queue); }

    ServingQueue(const ServingQueue &) = delete;
    ServingQueue &operator=(const ServingQueue &) = delete;

    wl_event_queue *get() const { return queue; }

    int prepareRead() override
    {
        if (broken)
            return -1;
        while (wl_display_prepare_read_queue(display, queue) != 0) {
            if (wl_display_dispatch_queue_pending(display, queue) < 0) {
                broken = true;
                return -1;
            }
        }
        // What the sources asked for (their destruction) goes out before the wait.
        wl_display_flush(display);
        return wl_display_get_fd(display);
    }

    void finishRead(bool readable) override
    {
        if (!readable)
            wl_display_cancel_read(display);
        else if (wl_display_read_events(display) < 0)
            broken = true;
        // A broken connection is Qt's to report; the pastes in flight are still served.
        dispatchPending();
    }

    void dispatchPending() override
    {
        if (!broken && wl_display_dispatch_queue_pending(display, queue) < 0)
            broken = true;
    }

private:
    wl_display *const display;
    wl_event_queue *const queue;
    bool broken = false; // the serving thread's
};

template<typename P>
class WaylandDevice final : public DataControlDevice
{
public:
    WaylandDevice(wl_display *display, typename P::Manager *manager, wl_seat *seat, uint32_t version,
                  int writeTimeout)
        : wlDisplay(display)
        , manager(manager)
        , seat(seat)
        , version(version)
        , device(P::getDevice(manager, seat))
        , servingQueue(display)
        , sourceFactory(static_cast<typename P::Manager *>(wl_proxy_create_wrapper(manager)))
        , server(writeTimeout)
    {
        P::listen(device, &listener, this);
        // Sources made through the wrapper belong to the serving queue from their first moment.
        wl_proxy_set_queue(asProxy(sourceFactory), servingQueue.get());
        QObject::connect(&server, &SourceServer::cancelled, &server, [this](Source *source) {
            if (currentClient)
                currentClient->sourceCancelled(source); // may destroy source
        });
        server.start(&servingQueue);
    }

    ~WaylandDevice() override
    {
        // Every source goes with the serving thread, before the queue they belong to.
        server.stop();
        wl_proxy_wrapper_destroy(sourceFactory);
        announced.clear();
        for (auto &offer : initial)
            offer.reset();
        if (device)
            P::destroy(device);
        P::destroy(manager);
        wl_seat_destroy(seat);
        wl_display_flush(wlDisplay);
    }

    void setClient(Client *newClient) override
    {
        currentClient = newClient;
        if (!currentClient)
            return;
        // What the compositor announced while there was nobody to tell.
        currentClient->selectionOffered(QClipboard::Clipboard, std::move(initial[0]));
        if (hasPrimarySelection())
            currentClient->selectionOffered(QClipboard::Selection, std::move(initial[1]));
        initial[1].reset();
    }

    bool hasPrimarySelection() const override { return version >= P::primarySelectionSince; }

    std::unique_ptr<Source> createSource(std::shared_ptr<const OfferSnapshot> content) override
    {
        typename P::Source *proxy = P::createSource(sourceFactory);
        for (const QString &mimeType : content->formats())
            P::offer(proxy, mimeType.toUtf8().constData());
        return server.adopt(std::make_shared<WaylandServed<P>>(proxy, std::move(content), server), proxy);
    }

    void setSelection(QClipboard::Mode mode, Source *source) override
    {
        if (!device)
            return;
        // The handle keeps the protocol object alive: the serving thread destroys it only after the
        // handle has gone.
        auto *proxy = source ? static_cast<typename P::Source *>(
                                   static_cast<SourceServer::Handle *>(source)->protocolObject())
                             : nullptr;
        if (mode == QClipboard::Clipboard)
            P::setSelection(device, proxy);
        else if (mode == QClipboard::Selection && hasPrimarySelection())
            P::setPrimarySelection(device, proxy);
        wl_display_flush(wlDisplay);
    }

    // Binding happens on a queue of our own; afterwards every object of ours is served by the queue
    // Qt dispatches on the GUI thread.
    void moveToDefaultQueue()
    {
        onDefaultQueue = true;
        wl_proxy_set_queue(asProxy(manager), nullptr);
        wl_proxy_set_queue(asProxy(seat), nullptr);
        if (device)
            wl_proxy_set_queue(asProxy(device), nullptr);
        for (const auto &offer : announced)
            wl_proxy_set_queue(asProxy(offer->proxy()), nullptr);
        for (const auto &offer : initial) {
            if (offer)
                wl_proxy_set_queue(asProxy(offer->proxy()), nullptr);
        }
    }

private:
    static void dataOffer(void *data, typename P::Device *, typename P::Offer *offer)
    {
        auto *self = static_cast<WaylandDevice *>(data);
        // An offer inherits the queue the device had when the event was read; during the move it
        // can still be the binding queue.
        if (self->onDefaultQueue)
            wl_proxy_set_queue(asProxy(offer), nullptr);
        self->announced.push_back(std::make_unique<WaylandOffer<P>>(offer, self->wlDisplay));
    }

    static void selection(void *data, typename P::Device *, typename P::Offer *offer)
    {
        static_cast<WaylandDevice *>(data)->selectionChanged(QClipboard::Clipboard, offer);
    }

    static void primarySelection(void *data, typename P::Device *, typename P::Offer *offer)
    {
        static_cast<WaylandDevice *>(data)->selectionChanged(QClipboard::Selection, offer);
    }

    static void finished(void *data, typename P::Device *)
    {
        auto *self = static_cast<WaylandDevice *>(data);
        P::destroy(self->device);
        self->device = nullptr;
        wl_display_flush(self->wlDisplay);
        if (self->currentClient)
            self->currentClient->deviceFinished(); // may destroy self
    }

    void selectionChanged(QClipboard::Mode mode, typename P::Offer *proxy)
    {
        std::unique_ptr<WaylandOffer<P>> offer;
        if (proxy) {
            const auto found =
                std::find_if(announced.begin(), announced.end(),
                             [proxy](const auto &candidate) { return candidate->proxy() == proxy; });
            if (found == announced.end())
                return; // not announced by data_offer: nothing we could read
            offer = std::move(*found);
            // Offers announced before this one and never named by a selection are dead.
            announced.erase(announced.begin(), found + 1);
        }
        // Our source this offer replaced is reported cancelled first, as the compositor sent it.
        server.settle();
        if (currentClient)
            currentClient->selectionOffered(mode, std::move(offer));
        else
            initial[mode == QClipboard::Clipboard ? 0 : 1] = std::move(offer);
    }

    static constexpr
        typename P::DeviceListener listener = {&dataOffer, &selection, &finished, &primarySelection};

    wl_display *wlDisplay;
    typename P::Manager *manager;
    wl_seat *seat;
    uint32_t version;
    typename P::Device *device;
    Client *currentClient = nullptr;
    bool onDefaultQueue = false;
    ServingQueue servingQueue;
    // The manager, on the serving queue: what it creates belongs to that queue.
    typename P::Manager *sourceFactory;
    SourceServer server;
    // Offers announced by data_offer and not yet named by a selection event.
    std::vector<std::unique_ptr<WaylandOffer<P>>> announced;
    // The clipboard's and the primary selection's offers announced before there was a client.
    std::unique_ptr<WaylandOffer<P>> initial[2];
};

struct RegistryScan
{
    QList<WaylandDataControl::Global> globals;

    static void global(void *data, wl_registry *, uint32_t name, const char *interface, uint32_t version)
    {
        static_cast<RegistryScan *>(data)->globals.append({QByteArray(interface), name, version});
    }

    static void globalRemove(void *, wl_registry *, uint32_t) {}
};

constexpr wl_registry_listener registryListener = {&RegistryScan::global, &RegistryScan::globalRemove};

template<typename P>
std::unique_ptr<DataControlDevice> bindDevice(wl_display *display, wl_event_queue *queue,
                                              wl_registry *registry, const WaylandDataControl::Choice &choice,
                                              uint32_t seatName, int writeTimeout)
{
    auto *manager = static_cast<typename P::Manager *>(
        wl_registry_bind(registry, choice.name, P::managerInterface(), choice.version));
    // Version 1 is all we need: the seat only names which device we want.
    auto *seat = static_cast<wl_seat *>(wl_registry_bind(registry, seatName, &wl_seat_interface, 1));
    auto device = std::make_unique<WaylandDevice<P>>(display, manager, seat, choice.version, writeTimeout);
    // The compositor answers get_data_device with the current selections at once.
    const bool connected = wl_display_roundtrip_queue(display, queue) >= 0;
    device->moveToDefaultQueue();
    // Whatever reached our queue while the objects moved.
    wl_display_dispatch_queue_pending(display, queue);
    if (!connected)
        return {};
    return device;
}

} // namespace

namespace WaylandDataControl {

Choice choose(const QList<Global> &globals)
{
    Choice wlr;
    for (const Global &global : globals) {
        if (global.version == 0)
            continue;
        if (global.interface == ext_data_control_manager_v1_interface.name)
            return {Protocol::Ext, global.name, std::min(global.version, extVersion)};
        if (global.interface == zwlr_data_control_manager_v1_interface.name && wlr.protocol == Protocol::None)
            wlr = {Protocol::Wlr, global.name, std::min(global.version, wlrVersion)};
    }
    return wlr;
}

const char *interfaceName(Protocol protocol)
{
    switch (protocol) {
    case Protocol::Ext:
        return ext_data_control_manager_v1_interface.name;
    case Protocol::Wlr:
        return zwlr_data_control_manager_v1_interface.name;
    case Protocol::None:
        break;
    }
    return "none";
}

std::unique_ptr<DataControlDevice> connect(wl_display *display, Protocol *chosen, int writeTimeout)
{
    if (chosen)
        *chosen = Protocol::None;
    if (!display)
        return {};

    // Binding runs on a queue of our own, so that waiting for the compositor's answers dispatches
    // none of Qt's objects from inside our call.
    wl_event_queue *queue = wl_display_create_queue(display);
    auto *wrapped = static_cast<wl_display *>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(asProxy(wrapped), queue);
    wl_registry *registry = wl_display_get_registry(wrapped);
    RegistryScan scan;
    wl_registry_add_listener(registry, &registryListener, &scan);

    std::unique_ptr<DataControlDevice> device;
    if (wl_display_roundtrip_queue(display, queue) >= 0) {
        const Choice choice = choose(scan.globals);
        if (chosen)
            *chosen = choice.protocol;
        const auto seat = std::find_if(scan.globals.cbegin(), scan.globals.cend(), [](const Global &global) {
            return global.interface == wl_seat_interface.name;
        });
        if (seat != scan.globals.cend()) {
            switch (choice.protocol) {
            case Protocol::Ext:
                device = bindDevice<ExtProtocol>(display, queue, registry, choice, seat->name, writeTimeout);
                break;
            case Protocol::Wlr:
                device = bindDevice<WlrProtocol>(display, queue, registry, choice, seat->name, writeTimeout);
                break;
            case Protocol::None:
                break;
            }
        }
    }
    wl_registry_destroy(registry);
    wl_proxy_wrapper_destroy(wrapped);
    wl_event_queue_destroy(queue);
    return device;
}

} // namespace WaylandDataControl

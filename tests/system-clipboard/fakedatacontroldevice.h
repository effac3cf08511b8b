// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "datacontroldevice.h"
#include "offersnapshot.h"
#include "sourceserver.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <unistd.h>

// A compositor in a box for the Wayland clipboard backend: the test plays the other clients
// (offers, pastes, take-overs) and sees every request the backend makes. Our own sources are
// served as the real device serves them, by a SourceServer on its own thread; the test's pastes
// and take-overs reach that thread as the compositor's events would.
class FakeDataControlDevice : public DataControlDevice
{
public:
    // What the compositor has seen of the backend, kept beyond the device's own life.
    struct Log
    {
        QStringList received; // types asked for, from any offer
        int offersDestroyed = 0;
        // Sources are destroyed on the serving thread.
        std::atomic<int> sourcesDestroyed = 0;
        std::function<void()> onSourceDestroyed; // called there
        QList<QPair<QClipboard::Mode, Source *>> selectionsSet;
        // The types each source made offered, by its handle.
        QHash<const Source *, QStringList> sourceTypes;
    };

    // Another client's content. By default the owner writes the bytes of the type asked for at
    // once and closes the pipe; onReceive replaces that (to stall, to write slowly).
    class FakeOffer : public Offer
    {
    public:
        FakeOffer(std::shared_ptr<Log> log, QList<QPair<QString, QByteArray>> content)
            : log(std::move(log))
            , content(std::move(content))
        {}
        ~FakeOffer() override { ++log->offersDestroyed; }

        QStringList mimeTypes() const override
        {
            QStringList types;
            for (const auto &entry : content)
                types.append(entry.first);
            return types;
        }

        void receive(const QString &mimeType, int fd) override
        {
            log->received.append(mimeType);
            // The caller closes its copy: the owner gets one of its own, as over a socket.
            const int ownerFd = ::dup(fd);
            if (onReceive) {
                onReceive(mimeType, ownerFd);
                return;
            }
            for (const auto &entry : content) {
                if (entry.first == mimeType) {
                    const QByteArray &bytes = entry.second;
                    // Small contents only: this write blocks until it fits in the pipe.
                    qsizetype done = 0;
                    while (done < bytes.size()) {
                        const ssize_t count = ::write(ownerFd, bytes.constData() + done, bytes.size() - done);
                        if (count <= 0)
                            break;
                        done += count;
                    }
                }
            }
            ::close(ownerFd);
        }

        // Takes the owner's end of the pipe; the handler closes it (or keeps it, to stall).
        std::function<void(const QString &mimeType, int fd)> onReceive;

    private:
        std::shared_ptr<Log> log;
        QList<QPair<QString, QByteArray>> content;
    };

    // A source of ours as the fake compositor serves it: on the device's real serving thread.
    class FakeServed : public SourceServer::Served
    {
    public:
        FakeServed(std::shared_ptr<Log> log, std::shared_ptr<const OfferSnapshot> content)
            : Served(std::move(content))
            , log(std::move(log))
        {}
        ~FakeServed() override
        {
            ++log->sourcesDestroyed;
            if (log->onSourceDestroyed)
                log->onSourceDestroyed();
        }

    private:
        std::shared_ptr<Log> log;
    };

    explicit FakeDataControlDevice(bool primary = true, int writeTimeout = 30000)
        : server(writeTimeout)
        , primary(primary)
    {
        QObject::connect(&server, &SourceServer::cancelled, &server,
                         [this](Source *source) { client->sourceCancelled(source); });
        server.start();
    }

    ~FakeDataControlDevice() override { server.stop(); }

    void setClient(Client *newClient) override
    {
        client = newClient;
        // A fresh device hears of the selections of the moment: here both empty.
        client->selectionOffered(QClipboard::Clipboard, nullptr);
        if (primary)
            client->selectionOffered(QClipboard::Selection, nullptr);
    }

    bool hasPrimarySelection() const override { return primary; }

    std::unique_ptr<Source> createSource(std::shared_ptr<const OfferSnapshot> content) override
    {
        const QStringList types = content->formats();
        std::unique_ptr<SourceServer::Handle> handle =
            server.adopt(std::make_shared<FakeServed>(log, std::move(content)), nullptr);
        log->sourceTypes.insert(handle.get(), types);
        return handle;
    }

    void setSelection(QClipboard::Mode mode, Source *source) override
    {
        log->selectionsSet.append({mode, source});
    }

    // Another client puts content on a selection. The returned offer stays valid while the
    // backend holds it (until the backend destroys it: watch log->offersDestroyed).
    FakeOffer *offer(QClipboard::Mode mode, QList<QPair<QString, QByteArray>> content,
                     std::function<void(const QString &, int)> onReceive = {})
    {
        auto offer = std::make_unique<FakeOffer>(log, std::move(content));
        offer->onReceive = std::move(onReceive);
        FakeOffer *raw = offer.get();
        // As the real device does: the cancels sent before this event are reported first.
        server.settle();
        client->selectionOffered(mode, std::move(offer));
        return raw;
    }

    // Another client empties a selection.
    void clear(QClipboard::Mode mode)
    {
        server.settle();
        client->selectionOffered(mode, nullptr);
    }

    // The source the backend set last on a selection.
    Source *lastSource(QClipboard::Mode mode) const
    {
        for (auto it = log->selectionsSet.crbegin(); it != log->selectionsSet.crend(); ++it) {
            if (it->first == mode)
                return it->second;
        }
        return nullptr;
    }

    QStringList typesOf(const Source *source) const { return log->sourceTypes.value(source); }

    // Someone pastes a type from our source: the read end of the pipe the device writes to. The
    // request reaches the serving thread, as the compositor's would; a source gone by then gets
    // nothing.
    int paste(Source *source, const QString &mimeType)
    {
        int ends[2];
        if (::pipe(ends) != 0)
            return -1;
        const quint64 id = static_cast<SourceServer::Handle *>(source)->id();
        server.post([this, id, mimeType, fd = ends[1]] {
            if (SourceServer::Served *served = server.find(id))
                server.send(*served, mimeType, fd);
            else
                ::close(fd);
        });
        return ends[0];
    }

    // Another client takes the selection over: the source's cancel arrives on the serving thread.
    void cancel(Source *source)
    {
        const quint64 id = static_cast<SourceServer::Handle *>(source)->id();
        server.post([this, id] {
            if (SourceServer::Served *served = server.find(id))
                server.cancel(*served);
        });
    }
    void finish() { client->deviceFinished(); }

    const std::shared_ptr<Log> log = std::make_shared<Log>();

private:
    SourceServer server;
    const bool primary;
    Client *client = nullptr;
};

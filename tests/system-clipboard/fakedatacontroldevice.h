// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "datacontroldevice.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>

#include <functional>
#include <memory>
#include <unistd.h>

// A compositor in a box for the Wayland clipboard backend: the test plays the other clients
// (offers, pastes, take-overs) and sees every request the backend makes.
class FakeDataControlDevice : public DataControlDevice
{
public:
    // What the compositor has seen of the backend, kept beyond the device's own life.
    struct Log
    {
        QStringList received; // types asked for, from any offer
        int offersDestroyed = 0;
        int sourcesDestroyed = 0;
        QList<QPair<QClipboard::Mode, Source *>> selectionsSet;
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

    class FakeSource : public Source
    {
    public:
        FakeSource(std::shared_ptr<Log> log, QStringList types)
            : types(std::move(types))
            , log(std::move(log))
        {}
        ~FakeSource() override { ++log->sourcesDestroyed; }

        const QStringList types;

    private:
        std::shared_ptr<Log> log;
    };

    explicit FakeDataControlDevice(bool primary = true)
        : primary(primary)
    {}

    void setClient(Client *newClient) override
    {
        client = newClient;
        // A fresh device hears of the selections of the moment: here both empty.
        client->selectionOffered(QClipboard::Clipboard, nullptr);
        if (primary)
            client->selectionOffered(QClipboard::Selection, nullptr);
    }

    bool hasPrimarySelection() const override { return primary; }

    std::unique_ptr<Source> createSource(const QStringList &mimeTypes) override
    {
        return std::make_unique<FakeSource>(log, mimeTypes);
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
        client->selectionOffered(mode, std::move(offer));
        return raw;
    }

    // Another client empties a selection.
    void clear(QClipboard::Mode mode) { client->selectionOffered(mode, nullptr); }

    // The source the backend set last on a selection.
    FakeSource *lastSource(QClipboard::Mode mode) const
    {
        for (auto it = log->selectionsSet.crbegin(); it != log->selectionsSet.crend(); ++it) {
            if (it->first == mode)
                return static_cast<FakeSource *>(it->second);
        }
        return nullptr;
    }

    // Someone pastes a type from our source: the read end of the pipe the backend writes to.
    int paste(Source *source, const QString &mimeType)
    {
        int ends[2];
        if (::pipe(ends) != 0)
            return -1;
        client->sendRequested(source, mimeType, ends[1]);
        return ends[0];
    }

    void cancel(Source *source) { client->sourceCancelled(source); }
    void finish() { client->deviceFinished(); }

    const std::shared_ptr<Log> log = std::make_shared<Log>();

private:
    const bool primary;
    Client *client = nullptr;
};

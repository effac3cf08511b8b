// SPDX-License-Identifier: GPL-2.0-or-later

#include "ksystemclipboard_fake.h"

#include <QMetaObject>

FakeSystemClipboard::FakeSystemClipboard(QObject *parent)
    : KSystemClipboard(parent)
{}

FakeSystemClipboard::~FakeSystemClipboard() = default;

FakeSystemClipboard *FakeSystemClipboard::install()
{
    auto fake = std::make_unique<FakeSystemClipboard>();
    FakeSystemClipboard *raw = fake.get();
    KSystemClipboard::setInstance(std::move(fake));
    return raw;
}

int FakeSystemClipboard::slot(QClipboard::Mode mode)
{
    switch (mode) {
    case QClipboard::Clipboard:
        return 0;
    case QClipboard::Selection:
        return 1;
    case QClipboard::FindBuffer:
        return 2;
    }
    return -1;
}

const QMimeData *FakeSystemClipboard::mimeData(QClipboard::Mode mode) const
{
    const int i = slot(mode);
    return i < 0 ? nullptr : offers[i].get();
}

std::shared_ptr<const QMimeData> FakeSystemClipboard::sharedMimeData(QClipboard::Mode mode) const
{
    const int i = slot(mode);
    return i < 0 || !sharing ? nullptr : offers[i];
}

void FakeSystemClipboard::setMimeData(QMimeData *mime, QClipboard::Mode mode)
{
    const int i = slot(mode);
    if (i < 0) {
        delete mime;
        return;
    }
    Write write{mode, {}, {}};
    if (mime) {
        write.formats = mime->formats();
        write.content = contentOf(mime);
    }
    writeLog.append(write);
    // Publishing the current offer again must not delete it.
    if (mime != offers[i].get())
        offers[i].reset(mime);
    report(mode, writeReport, writeReportTimes);
}

void FakeSystemClipboard::setWriteReport(Report report, int times)
{
    writeReport = report;
    writeReportTimes = times;
}

void FakeSystemClipboard::simulateCopy(QMimeData *mime, QClipboard::Mode mode, Report report)
{
    std::unique_ptr<QMimeData> owned(mime);
    const int i = slot(mode);
    if (i < 0)
        return;
    offers[i] = std::move(owned);
    this->report(mode, report, 1);
}

void FakeSystemClipboard::simulateCopy(const QString &text, QClipboard::Mode mode, Report report)
{
    simulateCopy(mimeData({{QStringLiteral("text/plain"), text.toUtf8()}}), mode, report);
}

void FakeSystemClipboard::simulateOwnerExit(QClipboard::Mode mode, Report report)
{
    simulateCopy(new QMimeData, mode, report);
}

void FakeSystemClipboard::notify(QClipboard::Mode mode, Report report)
{
    this->report(mode, report, 1);
}

void FakeSystemClipboard::reset()
{
    for (auto &offer : offers)
        offer.reset();
    writeLog.clear();
    writeReport = Report::Synchronous;
    writeReportTimes = 1;
    sharing = false;
    selectionWatched = false;
}

Morv::ClipboardContent FakeSystemClipboard::content(QClipboard::Mode mode) const
{
    const QMimeData *mime = mimeData(mode);
    return mime ? contentOf(mime) : Morv::ClipboardContent();
}

Morv::ClipboardContent FakeSystemClipboard::contentOf(const QMimeData *mime)
{
    Morv::ClipboardContent content;
    const QStringList formats = mime->formats();
    for (const QString &format : formats)
        content.insert(format, mime->data(format));
    return content;
}

QMimeData *FakeSystemClipboard::mimeData(const QList<std::pair<QString, QByteArray>> &formats)
{
    auto mime = new QMimeData;
    for (const auto &[format, bytes] : formats)
        mime->setData(format, bytes);
    return mime;
}

void FakeSystemClipboard::report(QClipboard::Mode mode, Report how, int times)
{
    for (int n = 0; n < times; ++n) {
        switch (how) {
        case Report::Synchronous:
            Q_EMIT changed(mode);
            break;
        case Report::Queued:
            QMetaObject::invokeMethod(
                this, [this, mode] { Q_EMIT changed(mode); }, Qt::QueuedConnection);
            break;
        case Report::Silent:
            break;
        }
    }
}

#include "ksystemclipboard.h"

#include "ksystemclipboard_qt.h"

#include <QGuiApplication>

namespace {

std::unique_ptr<KSystemClipboard> &storage()
{
    static std::unique_ptr<KSystemClipboard> clipboard;
    return clipboard;
}

std::unique_ptr<KSystemClipboard> createForPlatform()
{
    // Further backends slot in here, chosen by QGuiApplication::platformName().
    return std::make_unique<QtSystemClipboard>();
}

} // namespace

KSystemClipboard::KSystemClipboard(QObject *parent)
    : QObject(parent)
{}

KSystemClipboard *KSystemClipboard::instance()
{
    std::unique_ptr<KSystemClipboard> &clipboard = storage();
    if (!clipboard)
        clipboard = createForPlatform();
    return clipboard.get();
}

void KSystemClipboard::setInstance(std::unique_ptr<KSystemClipboard> clipboard)
{
    storage() = std::move(clipboard);
}

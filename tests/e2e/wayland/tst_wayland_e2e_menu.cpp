// SPDX-License-Identifier: GPL-2.0-or-later

#include "waylanddesktop.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QRegularExpression>

#include <memory>

using namespace WaylandDesktop;

namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");

QVariant busProperty(const QString &service, const QString &path, const QString &interface,
                     const QString &name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({interface, name});
    const QDBusReply<QDBusVariant> reply = QDBusConnection::sessionBus().call(get);
    return reply.isValid() ? reply.value().variant() : QVariant();
}

// One entry of a com.canonical.dbusmenu layout.
struct MenuEntry
{
    int id = 0;
    QString label;
};

void readLayout(const QDBusArgument &node, QList<MenuEntry> &entries)
{
    int id = 0;
    QVariantMap properties;
    node.beginStructure();
    node >> id >> properties;
    entries.append({id, properties.value(QStringLiteral("label")).toString()});
    node.beginArray();
    while (!node.atEnd()) {
        QDBusVariant child;
        node >> child;
        readLayout(qvariant_cast<QDBusArgument>(child.variant()), entries);
    }
    node.endArray();
    node.endStructure();
}

// The status notifier item the watcher lists: its service and object path ("service/path" or just
// the service, then the path is the usual one).
struct Item
{
    QString service;
    QString path;
};

Item registeredItem()
{
    const QStringList items = busProperty(watcherService, watcherPath, watcherService,
                                          QStringLiteral("RegisteredStatusNotifierItems"))
                                  .toStringList();
    if (items.size() != 1)
        return {};
    const QString entry = items.first();
    const qsizetype slash = entry.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return {entry, QStringLiteral("/StatusNotifierItem")};
    return {entry.left(slash), entry.mid(slash)};
}

bool callItem(const Item &item, const QString &method, const QVariantList &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(item.service, item.path, itemInterface, method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call).type() == QDBusMessage::ReplyMessage;
}

} // namespace

// The three ways to open and close the history menu under Wayland: the D-Bus method, a key bound
// in the compositor to it (as the README tells), and the tray icon, which a StatusNotifier host
// shows for it when the session has one. Without a host the program runs all the same.
class TestWaylandE2eMenu : public QObject
{
    Q_OBJECT

    Keyboard keyboard;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(keyboard.plugIn());
        QFile::remove(settingsFile());
        QVERIFY(copy("something copied"));
    }

    void showTogglesWithoutATrayHost()
    {
        QVERIFY(!nameHasOwner(watcherService));
        Applet applet;
        QVERIFY(applet.startAndWait());

        QVERIFY(callShow());
        QVERIFY(waitUntil(menuOpen));
        const Window menu = menuWindow();
        QCOMPARE(menu.pid, applet.pid());
        // A menu, not a window that sway tiles across the screen (the output is 1280 x 800).
        QVERIFY(menu.floating);
        QVERIFY2(menu.rect.width() < 640 && menu.rect.height() < 200,
                 qPrintable(QStringLiteral("%1 x %2").arg(menu.rect.width()).arg(menu.rect.height())));
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuClosed));
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuOpen));
        // Escape closes it as any menu; show opens it again.
        QVERIFY(pressKeys(QStringLiteral("Escape")));
        QVERIFY(waitUntil(menuClosed));
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuOpen));
        QVERIFY(callShow());
        QVERIFY(waitUntil(menuClosed));

        QVERIFY(applet.isRunning());
        QCOMPARE(applet.stop(), 0);
    }

    // The README's lines for sway's configuration, for real: the key opens and closes the menu, and
    // the menu opens at the mouse pointer.
    void theReadmeSwayConfigurationWorks()
    {
        QFile readme(QStringLiteral(MORV_SOURCE_DIR "/README.md"));
        QVERIFY(readme.open(QIODevice::ReadOnly | QIODevice::Text));
        const QString text = QString::fromUtf8(readme.readAll());
        const qsizetype intro = text.indexOf(QLatin1String("sway, in `~/.config/sway/config`:"));
        QVERIFY(intro >= 0);
        const qsizetype blockStart = text.indexOf(QLatin1String("```\n"), intro) + 4;
        const qsizetype blockEnd = text.indexOf(QLatin1String("```"), blockStart);
        QVERIFY(blockStart > intro && blockEnd > blockStart);
        const QStringList lines =
            text.mid(blockStart, blockEnd - blockStart).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QString combination;
        for (const QString &line : lines) {
            if (line.startsWith(QLatin1String("bindsym ")) &&
                line.contains(QLatin1String("org.morv.clip.show")))
                combination = line.section(QLatin1Char(' '), 1, 1);
        }
        QVERIFY2(!combination.isEmpty(), qPrintable(lines.join(QLatin1Char('\n'))));

        Applet applet;
        QVERIFY(applet.startAndWait());
        for (const QString &line : lines)
            QVERIFY2(swaymsg(line), qPrintable(line));
        const QPoint pointer(300, 200);
        QVERIFY(swaymsg(QStringLiteral("seat - cursor set %1 %2").arg(pointer.x()).arg(pointer.y())));

        QVERIFY(pressCombination(combination.toLower()));
        QVERIFY(waitUntil(menuOpen));
        const QRect menu = menuWindow().rect;
        QVERIFY2(menu.contains(pointer), qPrintable(QStringLiteral("%1,%2 %3 x %4")
                                                        .arg(menu.x())
                                                        .arg(menu.y())
                                                        .arg(menu.width())
                                                        .arg(menu.height())));
        QVERIFY(pressCombination(combination.toLower()));
        QVERIFY(waitUntil(menuClosed));

        // The entry chosen with the keyboard goes back on the clipboard.
        QVERIFY(copy("newer"));
        QVERIFY(waitUntil([] { return storedTexts().value(0) == QLatin1String("newer"); }));
        QVERIFY(pressCombination(combination.toLower()));
        QVERIFY(waitUntil(menuOpen));
        QVERIFY(chooseEntry(1));
        QVERIFY(waitUntil([] { return paste() == "something copied"; }));
        QCOMPARE(applet.stop(), 0);
        QVERIFY(swaymsg(QStringLiteral("unbindsym ") + combination));
    }

    void theTrayIconThroughAStatusNotifierHost()
    {
        // A watcher, and this test as the host that shows the items (a panel would be).
        QProcess watcher;
        watcher.setProcessChannelMode(QProcess::ForwardedChannels);
        watcher.start(QStringLiteral("status-notifier-watcher"), QStringList());
        QVERIFY2(watcher.waitForStarted(),
                 "status-notifier-watcher (haskell-status-notifier-item-utils) is missing");
        QVERIFY(waitUntil([] { return nameHasOwner(watcherService); }));
        QDBusConnection bus = QDBusConnection::sessionBus();
        const QString host =
            QStringLiteral("org.kde.StatusNotifierHost-%1").arg(QCoreApplication::applicationPid());
        QVERIFY(bus.registerService(host));
        QDBusMessage registerHost = QDBusMessage::createMethodCall(
            watcherService, watcherPath, watcherService, QStringLiteral("RegisterStatusNotifierHost"));
        registerHost.setArguments({host});
        QCOMPARE(bus.call(registerHost).type(), QDBusMessage::ReplyMessage);

        Applet applet;
        QVERIFY(applet.startAndWait());
        QVERIFY(waitUntil([] { return !registeredItem().service.isEmpty(); }));
        const Item item = registeredItem();
        QCOMPARE(qint64(bus.interface()->servicePid(item.service).value()), applet.pid());
        QCOMPARE(busProperty(item.service, item.path, itemInterface, QStringLiteral("Id")).toString(),
                 QStringLiteral("morv-clip"));
        QVERIFY(busProperty(item.service, item.path, itemInterface, QStringLiteral("IconPixmap")).isValid());

        // A left click in the panel: the host asks the item to activate.
        QVERIFY(callItem(item, QStringLiteral("Activate"), {0, 0}));
        QVERIFY(waitUntil(menuOpen));
        QVERIFY(callItem(item, QStringLiteral("Activate"), {0, 0}));
        QVERIFY(waitUntil(menuClosed));

        // The context menu, as the host reads it to draw it: the four commands.
        const QString menuPath = busProperty(item.service, item.path, itemInterface, QStringLiteral("Menu"))
                                     .value<QDBusObjectPath>()
                                     .path();
        QVERIFY(!menuPath.isEmpty());
        QDBusMessage getLayout = QDBusMessage::createMethodCall(
            item.service, menuPath, QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("GetLayout"));
        getLayout.setArguments({0, -1, QStringList()});
        const QDBusMessage layout = bus.call(getLayout);
        QCOMPARE(layout.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(layout.arguments().size(), 2);
        QList<MenuEntry> entries;
        readLayout(qvariant_cast<QDBusArgument>(layout.arguments().at(1)), entries);
        QStringList labels;
        int quit = -1;
        for (const MenuEntry &entry : std::as_const(entries)) {
            if (!entry.label.isEmpty())
                labels.append(entry.label);
            if (entry.label == QLatin1String("_Quit"))
                quit = entry.id;
        }
        QCOMPARE(labels, QStringList({"C_lear clipboard history", "_Configure...", "_About ...", "_Quit"}));

        // Quit from there ends the program as from any tray: status 0, the history stored.
        QVERIFY(copy("copied last"));
        QVERIFY(waitUntil([] { return storedTexts().value(0) == QLatin1String("copied last"); }));
        QDBusMessage clicked = QDBusMessage::createMethodCall(
            item.service, menuPath, QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("Event"));
        clicked.setArguments({quit, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
        bus.call(clicked);
        QCOMPARE(applet.waitForExit(), 0);
        QCOMPARE(storedTexts().value(0), QStringLiteral("copied last"));
        QVERIFY(waitUntil([] { return registeredItem().service.isEmpty(); }));

        watcher.terminate();
        watcher.waitForFinished();
    }

    // Typing narrows the menu under sway too: the window stays a floating menu, no higher than the
    // entries left, and Return puts the one found back on the clipboard.
    void typingFiltersTheMenu()
    {
        QFile::remove(settingsFile());
        Applet applet;
        QVERIFY(applet.startAndWait());
        const QByteArray wanted = "A first line, long enough to be cut in the menu\nand then a Pelican\n";
        for (const QByteArray &text : {wanted, QByteArray("newer"), QByteArray("newest")}) {
            QVERIFY(copy(text));
            QVERIFY(waitUntil([&] { return storedTexts().value(0) == QString::fromUtf8(text); }));
        }

        QVERIFY(callShow());
        QVERIFY(waitUntil(menuOpen));
        const QRect unfiltered = menuWindow().rect;
        QVERIFY(typeText(QStringLiteral("pELIcan")));
        QVERIFY(waitUntil([&] { return menuWindow().rect.height() < unfiltered.height(); }));
        QVERIFY(menuWindow().floating);
        QVERIFY(menuOpen());
        QVERIFY(pressKeys(QStringLiteral("Return")));
        QVERIFY(waitUntil(menuClosed));
        QVERIFY(waitUntil([&] { return paste() == wanted; }));
        QCOMPARE(applet.stop(), 0);
    }
};

QTEST_GUILESS_MAIN(TestWaylandE2eMenu)
#include "tst_wayland_e2e_menu.moc"

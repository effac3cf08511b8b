// SPDX-License-Identifier: GPL-2.0-or-later

#include "clipboardwrap.h"
#include "historyadaptor.h"
#include "ksystemclipboard_fake.h"
#include "testenvironment.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QTest>

using Morv::ClipboardWrap;
using Morv::HistoryAdaptor;

namespace {

const QString path = QStringLiteral("/org/morv/clip");
const QString interface = QStringLiteral("org.morv.clip.History");

} // namespace

// The interface "org.morv.clip.History" on a private session bus, asked by another connection
// as any other program asks it: its methods, its property, and the announcement of every change,
// whoever made it.
class TestHistoryAdaptor : public QObject
{
    Q_OBJECT

    QObject host;
    QString service;
    // What PropertiesChanged said, one entry per signal: the interface and the changed values.
    QList<QPair<QString, QVariantMap>> announced;

    static QDBusConnection peer() { return QDBusConnection(QStringLiteral("peer")); }

    // A call from the other connection; the event loop runs meanwhile, so that this process can
    // answer it.
    QDBusMessage call(const QString &interfaceName, const QString &method, const QVariantList &arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interfaceName, method);
        message.setArguments(arguments);
        return peer().call(message, QDBus::BlockWithGui, 5000);
    }

    QVariant pausedProperty()
    {
        const QDBusMessage reply = call(QStringLiteral("org.freedesktop.DBus.Properties"),
                                        QStringLiteral("Get"), {interface, QStringLiteral("paused")});
        if (reply.type() != QDBusMessage::ReplyMessage)
            return QVariant();
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }

    bool announcedWithin(qsizetype count)
    {
        return QTest::qWaitFor([&] { return announced.size() >= count; }, 5000);
    }

private Q_SLOTS:
    void propertiesChanged(const QString &changedInterface, const QVariantMap &changed, const QStringList &)
    {
        announced.append({changedInterface, changed});
    }

    void initTestCase()
    {
        TestEnvironment::setUp();
        FakeSystemClipboard::install();
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.isConnected());
        service = bus.baseService();
        new HistoryAdaptor(&host, path);
        QVERIFY(bus.registerObject(path, &host, QDBusConnection::ExportAdaptors));
        QVERIFY(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("peer")).isConnected());
        QVERIFY(peer().connect(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                               QStringLiteral("PropertiesChanged"), this,
                               SLOT(propertiesChanged(QString, QVariantMap, QStringList))));
    }

    void cleanupTestCase() { QDBusConnection::disconnectFromBus(QStringLiteral("peer")); }

    void init()
    {
        // The resumption's announcement comes before the next test starts counting.
        if (ClipboardWrap::instance()->isPaused()) {
            const qsizetype before = announced.size();
            ClipboardWrap::instance()->setPaused(false);
            QVERIFY(announcedWithin(before + 1));
        }
        announced.clear();
    }

    void theInterfaceAsIntrospected()
    {
        const QDBusMessage reply =
            call(QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        const QString xml = reply.arguments().value(0).toString();
        const qsizetype start = xml.indexOf(QLatin1String("<interface name=\"org.morv.clip.History\">"));
        QVERIFY(start >= 0);
        const QString history = xml.mid(start, xml.indexOf(QLatin1String("</interface>"), start) - start);
        QVERIFY(history.contains(QLatin1String("<property name=\"paused\" type=\"b\" access=\"read\"/>")));
        QVERIFY(history.contains(QLatin1String("<method name=\"pause\"/>")) ||
                history.contains(QLatin1String("<method name=\"pause\">")));
        QVERIFY(history.contains(QLatin1String("<method name=\"resume\"/>")) ||
                history.contains(QLatin1String("<method name=\"resume\">")));
        QCOMPARE(history.count(QLatin1String("<method ")), 2);
    }

    void pauseAndResume()
    {
        QCOMPARE(pausedProperty(), QVariant(false));
        QCOMPARE(call(interface, QStringLiteral("pause")).type(), QDBusMessage::ReplyMessage);
        QVERIFY(ClipboardWrap::instance()->isPaused());
        QCOMPARE(pausedProperty(), QVariant(true));
        QVERIFY(announcedWithin(1));
        QCOMPARE(announced.at(0).first, interface);
        QCOMPARE(announced.at(0).second, (QVariantMap{{QStringLiteral("paused"), true}}));

        // Paused again: no change, nothing announced.
        QCOMPARE(call(interface, QStringLiteral("pause")).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(pausedProperty(), QVariant(true));

        QCOMPARE(call(interface, QStringLiteral("resume")).type(), QDBusMessage::ReplyMessage);
        QVERIFY(!ClipboardWrap::instance()->isPaused());
        QCOMPARE(pausedProperty(), QVariant(false));
        QVERIFY(announcedWithin(2));
        QCOMPARE(announced.size(), 2);
        QCOMPARE(announced.at(1).second, (QVariantMap{{QStringLiteral("paused"), false}}));
    }

    // Paused from the tray (or anything else in the process): announced all the same.
    void aChangeFromElsewhereIsAnnounced()
    {
        ClipboardWrap::instance()->setPaused(true);
        QVERIFY(announcedWithin(1));
        QCOMPARE(announced.at(0).second, (QVariantMap{{QStringLiteral("paused"), true}}));
        QCOMPARE(pausedProperty(), QVariant(true));
    }

    // The property is read-only: setting it is refused and changes nothing.
    void thePropertyCannotBeSet()
    {
        const QDBusMessage reply =
            call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
                 {interface, QStringLiteral("paused"), QVariant::fromValue(QDBusVariant(true))});
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QVERIFY(!ClipboardWrap::instance()->isPaused());
        QTest::qWait(200);
        QVERIFY(announced.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestHistoryAdaptor)
#include "tst_historyadaptor.moc"

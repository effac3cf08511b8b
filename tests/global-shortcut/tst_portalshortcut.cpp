// SPDX-License-Identifier: GPL-2.0-or-later

// The hot key through the GlobalShortcuts portal, under Qt's offscreen platform (no key grab, as
// under Wayland), against a stand-in portal on a private session bus of the test's own: the
// request and response traffic, the order of its messages, rebinding, refusals, activation, and a
// portal that is replaced. The real portal is driven in the Wayland end-to-end test.
#include "fakeshortcutsportal.h"
#include "globalshortcutsportal.h"
#include "qxtglobalshortcut.h"
#include "xdgshortcuttrigger.h"

#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

const QString shortcutId = QStringLiteral("history-menu");

// A session bus of the test's own that starts nothing by itself: no real portal can come.
class PrivateBus
{
public:
    bool start()
    {
        QFile config(folder.filePath(QStringLiteral("bus.conf")));
        if (!config.open(QIODevice::WriteOnly))
            return false;
        config.write(QStringLiteral(
                         "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\""
                         " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">"
                         "<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                         "<auth>EXTERNAL</auth><policy context=\"default\">"
                         "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                         "<allow own=\"*\"/></policy></busconfig>")
                         .arg(folder.path())
                         .toUtf8());
        config.close();
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
                      QStringLiteral("--print-address=1")});
        if (!daemon.waitForStarted() || !daemon.waitForReadyRead(10000))
            return false;
        address = QString::fromUtf8(daemon.readLine().trimmed());
        return !address.isEmpty();
    }
    ~PrivateBus()
    {
        daemon.terminate();
        daemon.waitForFinished();
    }

    QString address;

private:
    QTemporaryDir folder;
    QProcess daemon;
};

// Notes the warnings written while it lives, and passes them on to the test's own handler, which
// checks them against what the test expects.
class WarningLog
{
public:
    WarningLog()
    {
        lines().clear();
        previous = qInstallMessageHandler(&WarningLog::handle);
    }
    ~WarningLog() { qInstallMessageHandler(previous); }

    bool contains(const QString &part) const
    {
        return std::any_of(lines().cbegin(), lines().cend(),
                           [&](const QString &line) { return line.contains(part); });
    }

private:
    static QStringList &lines()
    {
        static QStringList written;
        return written;
    }
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (type == QtWarningMsg)
            lines() << message;
        previous(type, context, message);
    }
    static inline QtMessageHandler previous = nullptr;
};

} // namespace

class TestPortalShortcut : public QObject
{
    Q_OBJECT

    PrivateBus bus;
    std::unique_ptr<FakeShortcutsPortal> portal;
    int portals = 0;

    // A fresh stand-in that takes the portal's name over from the one before.
    FakeShortcutsPortal *newPortal()
    {
        auto next =
            std::make_unique<FakeShortcutsPortal>(bus.address, QStringLiteral("portal%1").arg(++portals));
        if (!next->takeName())
            return nullptr;
        portal = std::move(next);
        // The process notices the change before it asks again.
        QTest::qWait(50);
        return portal.get();
    }

    std::unique_ptr<QxtGlobalShortcut> newShortcut()
    {
        auto shortcut = std::make_unique<QxtGlobalShortcut>();
        shortcut->setObjectName(shortcutId);
        shortcut->setDescription(QStringLiteral("Open the clipboard history"));
        return shortcut;
    }

    static QString portableTextOf(const QString &combination)
    {
        return QKeySequence(combination).toString(QKeySequence::PortableText);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QGuiApplication::platformName() != QLatin1String("xcb"));
        QGuiApplication::setDesktopFileName(QStringLiteral("org.example.hotkey"));
        QVERIFY(bus.start());
        // Before the process's first use of the session bus.
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address.toUtf8());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }

    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral("."))); }

    void triggers_data()
    {
        QTest::addColumn<QKeyCombination>("combination");
        QTest::addColumn<QString>("trigger");
        QTest::newRow("letter") << (Qt::CTRL | Qt::ALT | Qt::Key_V) << "CTRL+ALT+v";
        QTest::newRow("all modifiers")
            << (Qt::META | Qt::SHIFT | Qt::ALT | Qt::CTRL | Qt::Key_A) << "CTRL+ALT+SHIFT+LOGO+a";
        QTest::newRow("digit") << (Qt::CTRL | Qt::Key_1) << "CTRL+1";
        QTest::newRow("function key") << (Qt::META | Qt::Key_F12) << "LOGO+F12";
        QTest::newRow("no modifier") << QKeyCombination(Qt::Key_F35) << "F35";
        QTest::newRow("named key") << (Qt::ALT | Qt::Key_PageDown) << "ALT+Next";
        QTest::newRow("return") << (Qt::CTRL | Qt::Key_Return) << "CTRL+Return";
        QTest::newRow("space") << (Qt::CTRL | Qt::Key_Space) << "CTRL+space";
        QTest::newRow("punctuation") << (Qt::CTRL | Qt::Key_Period) << "CTRL+period";
        QTest::newRow("backquote") << (Qt::CTRL | Qt::Key_QuoteLeft) << "CTRL+grave";
        QTest::newRow("keypad digit")
            << QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_5) << "CTRL+KP_5";
        QTest::newRow("keypad plus") << QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier,
                                                        Qt::Key_Plus)
                                     << "CTRL+KP_Add";
        QTest::newRow("media key") << QKeyCombination(Qt::Key_VolumeMute) << "XF86AudioMute";
        QTest::newRow("Latin-1 letter") << (Qt::CTRL | Qt::Key_Adiaeresis) << "CTRL+U00E4";
        QTest::newRow("Cyrillic letter") << (Qt::CTRL | Qt::Key(0x0416)) << "CTRL+U0436";
        QTest::newRow("group switch dropped")
            << QKeyCombination(Qt::GroupSwitchModifier | Qt::ControlModifier, Qt::Key_B) << "CTRL+b";
        QTest::newRow("modifier alone") << (Qt::CTRL | Qt::Key_Control) << "";
        QTest::newRow("unknown key") << QKeyCombination(Qt::Key_unknown) << "";
        QTest::newRow("key without keysym") << (Qt::CTRL | Qt::Key_Launch0) << "";
    }

    void triggers()
    {
        QFETCH(QKeyCombination, combination);
        QFETCH(QString, trigger);
        QCOMPARE(XdgShortcutTrigger::fromKeyCombination(combination), trigger);
    }

    // First, while the bus has no portal: the answer is known at once, as under X11.
    void withoutAPortalItFailsAtOnce()
    {
        QVERIFY(!QxtGlobalShortcut::isSupported());
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to register: \"Ctrl+Alt+V\"");
        auto shortcut = newShortcut();
        QVERIFY(!shortcut->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+V"))));
        QCOMPARE(shortcut->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+V")));
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to unregister: \"Ctrl+Alt+V\"");
        shortcut.reset();
    }

    void bindsThroughThePortal_data()
    {
        QTest::addColumn<FakeShortcutsPortal::Answer>("answer");
        QTest::newRow("response after the reply") << FakeShortcutsPortal::Answer::AfterReply;
        // What a portal may well do: answer at once, before the call has returned.
        QTest::newRow("response before the reply") << FakeShortcutsPortal::Answer::BeforeReply;
    }

    void bindsThroughThePortal()
    {
        QFETCH(FakeShortcutsPortal::Answer, answer);
        QVERIFY(newPortal());
        portal->answer = answer;
        auto shortcut = newShortcut();
        QSignalSpy activated(shortcut.get(), &QxtGlobalShortcut::activated);
        QVERIFY(shortcut->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+V"))));
        QTRY_COMPARE(portal->bindings.size(), 1);
        QVERIFY(QxtGlobalShortcut::isSupported());

        // The program said who it is before anything else, then asked for a session, then bound.
        QCOMPARE(portal->registeredIds, QStringList{QStringLiteral("org.example.hotkey")});
        QCOMPARE(portal->calls.mid(0, 4), QStringList({"Register", "Get", "CreateSession", "BindShortcuts"}));
        QCOMPARE(portal->sessions.size(), 1);
        const QString session = portal->sessions.first().path;
        QVERIFY(!portal->createOptions.first().value(QStringLiteral("handle_token")).toString().isEmpty());
        const FakeShortcutsPortal::Binding binding = portal->bindings.first();
        QCOMPARE(binding.session, session);
        QCOMPARE(binding.parentWindow, QString());
        QCOMPARE(binding.shortcuts.size(), 1);
        QCOMPARE(binding.shortcuts.first().id, shortcutId);
        QCOMPARE(binding.shortcuts.first().properties,
                 QVariantMap(
                     {{"description", "Open the clipboard history"}, {"preferred_trigger", "CTRL+ALT+v"}}));

        // A press on the desktop; presses of other shortcuts or sessions are not ours.
        portal->activate(session, shortcutId);
        QTRY_COMPARE(activated.size(), 1);
        portal->activate(session, QStringLiteral("another"));
        portal->activate(session + QLatin1String("0"), shortcutId);
        portal->activate(session, shortcutId);
        QTRY_COMPARE(activated.size(), 2);
        QTest::qWait(50);
        QCOMPARE(activated.size(), 2);

        // Disabled: the binding stays, the presses are dropped.
        shortcut->setDisabled();
        portal->activate(session, shortcutId);
        QTest::qWait(100);
        QCOMPARE(activated.size(), 2);
        shortcut->setEnabled();
        portal->activate(session, shortcutId);
        QTRY_COMPARE(activated.size(), 3);

        // The object's end ends its session.
        shortcut.reset();
        QTRY_VERIFY(portal->isClosed(session));
    }

    // The portal binds a session's shortcuts once: a new combination gets a new session, and the
    // old one is closed, so that the desktop lets go of the old key.
    void aNewCombinationGetsANewSession()
    {
        QVERIFY(newPortal());
        auto shortcut = newShortcut();
        QSignalSpy activated(shortcut.get(), &QxtGlobalShortcut::activated);
        QVERIFY(shortcut->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+V"))));
        QTRY_COMPARE(portal->bindings.size(), 1);
        const QString first = portal->sessions.first().path;

        QVERIFY(shortcut->setShortcut(QKeySequence(QStringLiteral("Meta+Shift+H"))));
        QTRY_COMPARE(portal->bindings.size(), 2);
        QTRY_VERIFY(portal->isClosed(first));
        const QString second = portal->bindings.last().session;
        QVERIFY(second != first);
        QCOMPARE(portal->openSessions(), QStringList{second});
        QCOMPARE(portal->bindings.last().shortcuts.first().properties.value("preferred_trigger").toString(),
                 QStringLiteral("SHIFT+LOGO+h"));
        QCOMPARE(shortcut->shortcut(), QKeySequence(QStringLiteral("Meta+Shift+H")));
        // Registered once for the whole process and portal.
        QCOMPARE(portal->registeredIds.size(), 1);

        portal->activate(first, shortcutId);
        portal->activate(second, shortcutId);
        QTRY_COMPARE(activated.size(), 1);
        QTest::qWait(50);
        QCOMPARE(activated.size(), 1);

        // A cleared combination binds nothing and closes the session.
        QVERIFY(!shortcut->setShortcut(QKeySequence()));
        QTRY_VERIFY(portal->isClosed(second));
        QTest::qWait(50);
        QCOMPARE(portal->bindings.size(), 2);
        QCOMPARE(portal->sessions.size(), 2);
        shortcut.reset();
    }

    // The user changes the combination again before the desktop has answered: the session that
    // comes late is closed unused, and only the newest combination is bound.
    void aChangeWhileThePortalThinks()
    {
        QVERIFY(newPortal());
        portal->answer = FakeShortcutsPortal::Answer::Held;
        auto shortcut = newShortcut();
        QVERIFY(shortcut->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+V"))));
        QTRY_COMPARE(portal->createOptions.size(), 1);
        QVERIFY(shortcut->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+B"))));
        QTRY_COMPARE(portal->createOptions.size(), 2);
        portal->answer = FakeShortcutsPortal::Answer::AfterReply;
        portal->releaseHeld();
        QTRY_COMPARE(portal->bindings.size(), 1);
        QTRY_COMPARE(portal->openSessions().size(), 1);
        QCOMPARE(portal->openSessions(), QStringList{portal->bindings.first().session});
        QCOMPARE(portal->bindings.first().shortcuts.first().properties.value("preferred_trigger").toString(),
                 QStringLiteral("CTRL+ALT+b"));

        // Gone while its binding is asked for: the session goes too.
        portal->answer = FakeShortcutsPortal::Answer::Held;
        QVERIFY(shortcut->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+N"))));
        QTRY_COMPARE(portal->createOptions.size(), 3);
        shortcut.reset();
        portal->releaseHeld();
        QTRY_COMPARE(portal->openSessions(), QStringList());
        QCOMPARE(portal->bindings.size(), 1);
    }

    void aRefusalIsOneWarning_data()
    {
        QTest::addColumn<uint>("createResponse");
        QTest::addColumn<uint>("bindResponse");
        QTest::addColumn<bool>("bindsNothing");
        QTest::addColumn<bool>("bindFailsAsCall");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no session") << 2u << 0u << false << false
                                    << "no session: the desktop's portal failed";
        QTest::newRow("declined") << 0u << 1u << false << false << "declined on the desktop";
        QTest::newRow("failed") << 0u << 2u << false << false << "the desktop's portal failed";
        QTest::newRow("bound nothing") << 0u << 0u << true << false << "the desktop bound no shortcut";
        QTest::newRow("call failed") << 0u << 0u << false << true << "Bind refused";
    }

    void aRefusalIsOneWarning()
    {
        QFETCH(uint, createResponse);
        QFETCH(uint, bindResponse);
        QFETCH(bool, bindsNothing);
        QFETCH(bool, bindFailsAsCall);
        QFETCH(QString, reason);
        QVERIFY(newPortal());
        portal->createResponse = createResponse;
        portal->bindResponse = bindResponse;
        portal->bindsNothing = bindsNothing;
        portal->bindFailsAsCall = bindFailsAsCall;
        auto shortcut = newShortcut();
        QSignalSpy activated(shortcut.get(), &QxtGlobalShortcut::activated);
        const QString warning =
            QStringLiteral("QxtGlobalShortcut failed to register: \"Ctrl+Alt+V\" (%1)").arg(reason);
        QTest::ignoreMessage(QtWarningMsg, warning.toUtf8());
        WarningLog log;
        // Asked for: whether the desktop binds it is not known yet.
        QVERIFY(shortcut->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+V"))));
        QTRY_VERIFY(log.contains(warning));
        // The session that holds no shortcut is not kept.
        QTRY_COMPARE(portal->openSessions(), QStringList());
        for (const FakeShortcutsPortal::Session &session : std::as_const(portal->sessions))
            portal->activate(session.path, shortcutId);
        QTest::qWait(50);
        QCOMPARE(activated.size(), 0);
        // The portal still offers the interface; only this binding failed.
        QVERIFY(QxtGlobalShortcut::isSupported());

        // As after a refused key grab, there is nothing to release before the next combination.
        portal->createResponse = portal->bindResponse = 0;
        portal->bindsNothing = portal->bindFailsAsCall = false;
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to unregister: \"Ctrl+Alt+V\"");
        QVERIFY(shortcut->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+B"))));
        QTRY_COMPARE(portal->openSessions().size(), 1);
        QTRY_VERIFY(!portal->bindings.isEmpty() &&
                    portal->bindings.last().session == portal->openSessions().first());
        portal->activate(portal->openSessions().first(), shortcutId);
        QTRY_COMPARE(activated.size(), 1);
    }

    // A portal that does not offer the interface (a desktop without a backend for it).
    void aPortalWithoutGlobalShortcuts()
    {
        QVERIFY(newPortal());
        portal->version = 0;
        auto shortcut = newShortcut();
        QTest::ignoreMessage(QtWarningMsg,
                             "QxtGlobalShortcut failed to register: \"Ctrl+Alt+V\" (No such interface)");
        QVERIFY(shortcut->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+V"))));
        QTRY_COMPARE(GlobalShortcutsPortal::instance()->state(), GlobalShortcutsPortal::State::Unavailable);
        QVERIFY(!QxtGlobalShortcut::isSupported());
        QVERIFY(!portal->calls.contains(QStringLiteral("CreateSession")));
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to unregister: \"Ctrl+Alt+V\"");
        shortcut.reset();
    }

    // The portal is replaced (restarted, updated): the new one knows neither the program nor its
    // session, so the program registers and binds again there.
    void aNewPortalGetsTheBindingAgain()
    {
        QVERIFY(newPortal());
        auto shortcut = newShortcut();
        QSignalSpy activated(shortcut.get(), &QxtGlobalShortcut::activated);
        QVERIFY(shortcut->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+V"))));
        QTRY_COMPARE(portal->bindings.size(), 1);

        const FakeShortcutsPortal *replaced = portal.get();
        auto old = std::move(portal);
        QVERIFY(newPortal());
        QVERIFY(portal.get() != replaced);
        QTRY_COMPARE(portal->bindings.size(), 1);
        QCOMPARE(portal->registeredIds, QStringList{QStringLiteral("org.example.hotkey")});
        QCOMPARE(portal->bindings.first().shortcuts.first().properties.value("preferred_trigger").toString(),
                 QStringLiteral("CTRL+ALT+v"));
        portal->activate(portal->bindings.first().session, shortcutId);
        QTRY_COMPARE(activated.size(), 1);
        old.reset();

        // A portal gone for good (none to start in its place) is one warning.
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to register: \"Ctrl+Alt+V\" (no portal "
                                           "on the session bus)");
        portal->giveUpName();
        QTRY_COMPARE(GlobalShortcutsPortal::instance()->state(), GlobalShortcutsPortal::State::Unavailable);
        QVERIFY(!QxtGlobalShortcut::isSupported());
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to unregister: \"Ctrl+Alt+V\"");
        shortcut.reset();
    }
};

QTEST_MAIN(TestPortalShortcut)
#include "tst_portalshortcut.moc"

// SPDX-License-Identifier: GPL-2.0-or-later

// The global hot key on a real X server: key presses come from xdotool (XTEST), rival grabs from a
// second X client (keygrab-helper).
#include "qxtglobalshortcut.h"
#include "qxtglobalshortcutprivate.h"
#include "xdotoolkeys.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <X11/XF86keysym.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <memory>

using Private = QxtGlobalShortcutPrivate;

namespace {

const QString ctrlAlt = QStringLiteral("0xc"); // ControlMask | Mod1Mask
const QByteArray registerWarning = "QxtGlobalShortcut failed to register: \"Ctrl+Alt+V\"";
const QByteArray unregisterWarning = "QxtGlobalShortcut failed to unregister: \"Ctrl+Alt+V\"";

bool xdotool(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

bool press(const QString &keys)
{
    return xdotool({QStringLiteral("key"), XdotoolKeys::byKeycode(keys)});
}

// Another X client that grabs a combination on the root window and keeps it while it lives.
class OtherClient
{
public:
    OtherClient(const QString &keysym, const QString &modifiers, const QStringList &locks = {})
    {
        process.start(QStringLiteral(KEYGRAB_HELPER), QStringList{keysym, modifiers} + locks);
        if (process.waitForReadyRead(10000))
            granted = process.readLine().trimmed() == "grabbed";
    }
    ~OtherClient()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(5000))
            process.kill();
    }
    bool waitForPress()
    {
        while (!process.canReadLine()) {
            if (!process.waitForReadyRead(5000))
                return false;
        }
        return process.readLine().startsWith("press");
    }

    QProcess process;
    bool granted = false;
};

bool othersCanGrab(const QString &keysym, const QString &modifiers, const QStringList &locks = {})
{
    return OtherClient(keysym, modifiers, locks).granted;
}

const QStringList allLocks = {QStringLiteral("0"), QStringLiteral("0x10"), QStringLiteral("0x2"),
                              QStringLiteral("0x12")};

} // namespace

class TestGlobalShortcut : public QObject
{
    Q_OBJECT

    Display *display = nullptr;
    // A combination of its own, pressed after the presses under test: X delivers events in order,
    // so once it has arrived every earlier press has been through the filter too.
    std::unique_ptr<QxtGlobalShortcut> sentinel;
    std::unique_ptr<QSignalSpy> sentinelSpy;

    bool settle()
    {
        const qsizetype before = sentinelSpy->count();
        return press(QStringLiteral("ctrl+shift+F12")) &&
               QTest::qWaitFor([&] { return sentinelSpy->count() == before + 1; }, 5000);
    }

    unsigned modifierState()
    {
        Window root, child;
        int rootX, rootY, x, y;
        unsigned mask = 0;
        XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y, &mask);
        return mask;
    }

    // Switches Caps Lock and Num Lock on or off by pressing them, as a user would.
    bool setLocks(bool caps, bool num)
    {
        if (bool(modifierState() & LockMask) != caps && !press(QStringLiteral("Caps_Lock")))
            return false;
        if (bool(modifierState() & Mod2Mask) != num && !press(QStringLiteral("Num_Lock")))
            return false;
        return QTest::qWaitFor([&] {
            const unsigned state = modifierState();
            return bool(state & LockMask) == caps && bool(state & Mod2Mask) == num;
        });
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY(QxtGlobalShortcut::isSupported());
        display = XOpenDisplay(nullptr);
        QVERIFY(display);
        sentinel = std::make_unique<QxtGlobalShortcut>(QKeySequence(QStringLiteral("Ctrl+Shift+F12")));
        sentinelSpy = std::make_unique<QSignalSpy>(sentinel.get(), &QxtGlobalShortcut::activated);
        QVERIFY(settle());
    }

    void cleanupTestCase()
    {
        sentinelSpy.reset();
        sentinel.reset();
        XCloseDisplay(display);
    }

    void cleanup() { QVERIFY(setLocks(false, false)); }

    void translatesModifiersAndKeys()
    {
        QCOMPARE(Private::toNativeModifiers(Qt::NoModifier), 0u);
        QCOMPARE(Private::toNativeModifiers(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier |
                                            Qt::MetaModifier),
                 quint32(ShiftMask | ControlMask | Mod1Mask | Mod4Mask));
        QCOMPARE(Private::toNativeModifiers(Qt::MetaModifier), quint32(Mod4Mask));
        QCOMPARE(Private::toNativeModifiers(Qt::KeypadModifier | Qt::GroupSwitchModifier | Qt::AltModifier),
                 quint32(Mod1Mask));

        const auto keycodeOf = [this](KeySym keysym) { return quint32(XKeysymToKeycode(display, keysym)); };
        QVERIFY(keycodeOf(XK_v) != 0);
        QCOMPARE(Private::toNativeKeycode(Qt::Key_V), keycodeOf(XK_v)); // by the name "V"
        QCOMPARE(Private::toNativeKeycode(Qt::Key_F1), keycodeOf(XK_F1));
        QCOMPARE(Private::toNativeKeycode(Qt::Key_Home), keycodeOf(XK_Home));
        // "Space" and "," are no keysym names: Latin-1 keys are their own keysym.
        QCOMPARE(Private::toNativeKeycode(Qt::Key_Space), keycodeOf(XK_space));
        QCOMPARE(Private::toNativeKeycode(Qt::Key_Comma), keycodeOf(XK_comma));
        // "Esc", "Del", "PgUp", "Volume Down" are neither; their low bits mean nothing to X.
        QCOMPARE(Private::toNativeKeycode(Qt::Key_Escape), keycodeOf(XK_Escape));
        QCOMPARE(Private::toNativeKeycode(Qt::Key_Delete), keycodeOf(XK_Delete));
        QCOMPARE(Private::toNativeKeycode(Qt::Key_PageUp), keycodeOf(XK_Prior));
        QVERIFY(keycodeOf(XF86XK_AudioLowerVolume) != 0);
        QCOMPARE(Private::toNativeKeycode(Qt::Key_VolumeDown), keycodeOf(XF86XK_AudioLowerVolume));
        // No key of this keyboard, or no key at all.
        QCOMPARE(Private::toNativeKeycode(Qt::Key_Eacute), 0u);
        QCOMPARE(Private::toNativeKeycode(Qt::Key_unknown), 0u);
    }

    void freshObject()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        auto shortcut = std::make_unique<QxtGlobalShortcut>();
        QVERIFY(shortcut->isEnabled());
        QCOMPARE(shortcut->shortcut(), QKeySequence(Qt::Key_unknown));
        // The tray connects by signature and the setting goes through the property.
        QVERIFY(connect(shortcut.get(), SIGNAL(activated()), this, SLOT(deleteLater())));
        QVERIFY(disconnect(shortcut.get(), SIGNAL(activated()), this, SLOT(deleteLater())));
        QVERIFY(shortcut->setProperty("enabled", false));
        QVERIFY(!shortcut->isEnabled());
        shortcut.reset();
    }

    void activatesOncePerPressWhateverTheLocks()
    {
        QxtGlobalShortcut shortcut;
        QSignalSpy spy(&shortcut, &QxtGlobalShortcut::activated);
        QVERIFY(shortcut.setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+V"))));
        int expected = 0;
        for (const auto &[caps, num] :
             {std::pair{false, false}, {true, false}, {false, true}, {true, true}}) {
            QVERIFY(setLocks(caps, num));
            QVERIFY(press(QStringLiteral("ctrl+alt+v")));
            QVERIFY(settle());
            QCOMPARE(spy.count(), ++expected);
        }
    }

    void pressesOnlyNotReleasesAndNotOtherCombinations()
    {
        QxtGlobalShortcut shortcut(QKeySequence(QStringLiteral("Ctrl+Alt+V")));
        QSignalSpy spy(&shortcut, &QxtGlobalShortcut::activated);
        for (const char *keys : {"ctrl+v", "alt+v", "ctrl+alt+shift+v", "super+ctrl+alt+v", "ctrl+alt+b"})
            QVERIFY(press(QString::fromLatin1(keys)));
        QVERIFY(settle());
        QCOMPARE(spy.count(), 0);

        // The release of a combination never counts...
        XAutoRepeatOff(display);
        XSync(display, False);
        QVERIFY(xdotool({QStringLiteral("keydown"), QStringLiteral("ctrl+alt+v")}));
        QTRY_COMPARE(spy.count(), 1);
        // V first, so that its release carries Ctrl+Alt in its state.
        QVERIFY(xdotool({QStringLiteral("keyup"), QStringLiteral("v")}));
        QVERIFY(xdotool({QStringLiteral("keyup"), QStringLiteral("ctrl+alt")}));
        QVERIFY(settle());
        QCOMPARE(spy.count(), 1);
        // ...but each auto-repeated press does, while the combination is held down.
        XAutoRepeatOn(display);
        XSync(display, False);
        QVERIFY(xdotool({QStringLiteral("keydown"), QStringLiteral("ctrl+alt+v")}));
        QTRY_VERIFY(spy.count() >= 4);
        QVERIFY(xdotool({QStringLiteral("keyup"), QStringLiteral("ctrl+alt+v")}));
        QVERIFY(settle()); // no repeat left in flight for the next test
    }

    void extraModifiersOnOurOwnWindowAreIgnored()
    {
        // Mod5 (ISO_Level3_Shift) is not part of the grab, so this press goes to the focused
        // window; the filter sees it there and matches it all the same.
        QWidget window;
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QxtGlobalShortcut shortcut(QKeySequence(QStringLiteral("Ctrl+Alt+V")));
        QSignalSpy spy(&shortcut, &QxtGlobalShortcut::activated);
        QVERIFY(press(QStringLiteral("ISO_Level3_Shift+ctrl+alt+v")));
        QTRY_COMPARE(spy.count(), 1);
    }

    void aCombinationHeldByAnotherClientIsNotGrabbedAtAll_data()
    {
        // The variants the other client holds, and a lock state that reaches one of them.
        QTest::addColumn<QStringList>("theirs");
        QTest::addColumn<bool>("caps");
        QTest::addColumn<bool>("num");
        QTest::newRow("all variants") << allLocks << false << false;
        QTest::newRow("plain only") << QStringList{QStringLiteral("0")} << false << false;
        QTest::newRow("caps lock only") << QStringList{QStringLiteral("0x2")} << true << false;
        QTest::newRow("both locks only") << QStringList{QStringLiteral("0x12")} << true << true;
    }

    void aCombinationHeldByAnotherClientIsNotGrabbedAtAll()
    {
        QFETCH(QStringList, theirs);
        QFETCH(bool, caps);
        QFETCH(bool, num);
        QxtGlobalShortcut shortcut;
        QSignalSpy spy(&shortcut, &QxtGlobalShortcut::activated);
        {
            OtherClient other(QStringLiteral("v"), ctrlAlt, theirs);
            QVERIFY(other.granted);
            const XErrorHandler ours = [](Display *, XErrorEvent *) { return 0; };
            const XErrorHandler before = XSetErrorHandler(ours);
            QTest::ignoreMessage(QtWarningMsg, registerWarning);
            QVERIFY(!shortcut.setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+V"))));
            QVERIFY(XSetErrorHandler(before) == ours); // the handler in place before is back

            // None of the variants the other client does not hold stayed with us...
            QStringList rest = allLocks;
            for (const QString &lock : theirs)
                rest.removeOne(lock);
            if (!rest.isEmpty())
                QVERIFY(othersCanGrab(QStringLiteral("v"), ctrlAlt, rest));
            // ...and the other client's grab still works.
            QVERIFY(setLocks(caps, num));
            QVERIFY(press(QStringLiteral("ctrl+alt+v")));
            QVERIFY(other.waitForPress());
            QVERIFY(settle());
            QCOMPARE(spy.count(), 0);
        }
        // Once it has gone the combination is ours; the failed one is still ours to release.
        QTest::ignoreMessage(QtWarningMsg, unregisterWarning);
        QVERIFY(shortcut.setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+V"))));
        QVERIFY(press(QStringLiteral("ctrl+alt+v")));
        QTRY_COMPARE(spy.count(), 1);
    }

    void aKeyMissingFromTheKeyboardGrabsNothing()
    {
        QxtGlobalShortcut shortcut;
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to register: \"Ctrl+Alt+\u00c9\"");
        QVERIFY(!shortcut.setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Eacute)));
        // Keycode 0 would have been "any key" to the server.
        QVERIFY(othersCanGrab(QStringLiteral("x"), ctrlAlt, allLocks));
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to unregister: \"Ctrl+Alt+\u00c9\"");
    }

    void changingTheShortcutReleasesTheOldOne()
    {
        QxtGlobalShortcut shortcut(QKeySequence(QStringLiteral("Ctrl+Alt+V")));
        QSignalSpy spy(&shortcut, &QxtGlobalShortcut::activated);
        // Setting the same combination again re-grabs it: still one activation per press.
        QVERIFY(shortcut.setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+V"))));
        QVERIFY(press(QStringLiteral("ctrl+alt+v")));
        QVERIFY(settle());
        QCOMPARE(spy.count(), 1);

        // Of a two-combination sequence only the first is grabbed.
        QVERIFY(shortcut.setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+B, Ctrl+Alt+N"))));
        QCOMPARE(shortcut.shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+B")));
        QVERIFY(othersCanGrab(QStringLiteral("v"), ctrlAlt, allLocks));
        QVERIFY(press(QStringLiteral("ctrl+alt+v")));
        QVERIFY(press(QStringLiteral("ctrl+alt+n")));
        QVERIFY(settle());
        QCOMPARE(spy.count(), 1);
        QVERIFY(press(QStringLiteral("ctrl+alt+b")));
        QTRY_COMPARE(spy.count(), 2);
    }

    void anEmptySequenceLeavesNothingGrabbed()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        QxtGlobalShortcut shortcut(QKeySequence(QStringLiteral("Ctrl+Alt+V")));
        QVERIFY(!shortcut.setShortcut(QKeySequence()));
        QCOMPARE(shortcut.shortcut(), QKeySequence(Qt::Key_unknown));
        QVERIFY(othersCanGrab(QStringLiteral("v"), ctrlAlt, allLocks));
        // The none marker's own key translates to Delete; nothing of it may be taken either.
        QVERIFY(othersCanGrab(QStringLiteral("Delete"), QStringLiteral("0"), allLocks));
    }

    void aDisabledObjectKeepsItsGrab()
    {
        QxtGlobalShortcut shortcut(QKeySequence(QStringLiteral("Ctrl+Alt+V")));
        QSignalSpy spy(&shortcut, &QxtGlobalShortcut::activated);
        shortcut.setDisabled();
        QVERIFY(!shortcut.isEnabled());
        QVERIFY(press(QStringLiteral("ctrl+alt+v")));
        QVERIFY(settle());
        QCOMPARE(spy.count(), 0);
        QVERIFY(!othersCanGrab(QStringLiteral("v"), ctrlAlt));
        shortcut.setEnabled();
        QVERIFY(press(QStringLiteral("ctrl+alt+v")));
        QTRY_COMPARE(spy.count(), 1);
    }

    void twoObjectsOnOneCombination()
    {
        QxtGlobalShortcut first(QKeySequence(QStringLiteral("Ctrl+Alt+V")));
        auto second = std::make_unique<QxtGlobalShortcut>(QKeySequence(QStringLiteral("Ctrl+Alt+V")));
        QSignalSpy firstSpy(&first, &QxtGlobalShortcut::activated);
        QSignalSpy secondSpy(second.get(), &QxtGlobalShortcut::activated);
        QVERIFY(press(QStringLiteral("ctrl+alt+v")));
        QVERIFY(settle());
        QCOMPARE(firstSpy.count(), 0);
        QCOMPARE(secondSpy.count(), 1);

        // The grab belongs to the second: the first cannot release it.
        QTest::ignoreMessage(QtWarningMsg, unregisterWarning);
        QVERIFY(!first.setShortcut(QKeySequence()));
        QVERIFY(press(QStringLiteral("ctrl+alt+v")));
        QVERIFY(settle());
        QCOMPARE(secondSpy.count(), 2);

        // Destruction releases it, so that another client can have it.
        QVERIFY(!othersCanGrab(QStringLiteral("v"), ctrlAlt));
        second.reset();
        QVERIFY(othersCanGrab(QStringLiteral("v"), ctrlAlt, allLocks));
        QCOMPARE(firstSpy.count(), 0);
    }

    void oneFilterWhateverTheOrderOfDestruction()
    {
        // The sentinel's filter came first; each press must still be seen exactly once.
        sentinelSpy.reset();
        sentinel.reset();
        auto a = std::make_unique<QxtGlobalShortcut>();
        auto b = std::make_unique<QxtGlobalShortcut>();
        auto c = std::make_unique<QxtGlobalShortcut>(QKeySequence(QStringLiteral("Ctrl+Shift+F12")));
        QSignalSpy spy(c.get(), &QxtGlobalShortcut::activated);
        // A second filter would emit twice within the dispatch of the same event.
        auto pressAndCount = [&] {
            const qsizetype before = spy.count();
            return press(QStringLiteral("ctrl+shift+F12")) &&
                   QTest::qWaitFor([&] { return spy.count() > before; }, 5000) && spy.count() == before + 1;
        };
        QVERIFY(pressAndCount());
        a.reset();
        QVERIFY(pressAndCount());
        auto d = std::make_unique<QxtGlobalShortcut>();
        b.reset();
        QVERIFY(pressAndCount());
        d.reset();
        QVERIFY(pressAndCount());
        // Put the sentinel back for whatever test comes after.
        sentinel = std::move(c);
        sentinelSpy = std::make_unique<QSignalSpy>(sentinel.get(), &QxtGlobalShortcut::activated);
    }
};

QTEST_MAIN(TestGlobalShortcut)
#include "tst_globalshortcut.moc"

// SPDX-License-Identifier: GPL-2.0-or-later

#include "desktop.h"
#include "pastekeys.h"
#include "pastetarget.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

using namespace Desktop;

namespace {

const QString targetTitle = QStringLiteral("Paste keys target");

// A bare window of another X client (a connection of its own, not Qt's): a stand-in for the
// desktop's background or a panel, by its _NET_WM_WINDOW_TYPE.
class ForeignWindow
{
public:
    explicit ForeignWindow(const char *type)
        : connection(xcb_connect(nullptr, nullptr))
    {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        window = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 200, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        const xcb_atom_t windowType = atom("_NET_WM_WINDOW_TYPE");
        const xcb_atom_t value = atom(type);
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, windowType, XCB_ATOM_ATOM, 32, 1,
                            &value);
        static const char wmClass[] = "desktop\0Desktop";
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            sizeof(wmClass), wmClass);
        xcb_map_window(connection, window);
        sync();
    }

    ~ForeignWindow() { xcb_disconnect(connection); }

    ForeignWindow(const ForeignWindow &) = delete;
    ForeignWindow &operator=(const ForeignWindow &) = delete;

    // Gives it the keyboard focus, once it is mapped.
    bool focus()
    {
        return waitUntil([this] {
            xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
            sync();
            xcb_get_input_focus_reply_t *reply =
                xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
            const bool focused = reply && reply->focus == window;
            std::free(reply);
            return focused;
        });
    }

private:
    xcb_atom_t atom(const char *name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
        std::free(reply);
        return atom;
    }

    // A round trip: everything asked before has been done.
    void sync()
    {
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }

    xcb_connection_t *connection;
    xcb_window_t window = XCB_NONE;
};

// Puts the X input focus on the root window, or on PointerRoot (whichever window the pointer is
// in, the root here), from a connection of its own.
bool focusRoot(bool pointerRoot)
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_window_t focus = pointerRoot ? xcb_window_t(XCB_INPUT_FOCUS_POINTER_ROOT) : root;
    xcb_set_input_focus(connection, XCB_INPUT_FOCUS_POINTER_ROOT, focus, XCB_CURRENT_TIME);
    xcb_get_input_focus_reply_t *reply =
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
    const bool focused = reply && reply->focus == focus;
    std::free(reply);
    xcb_disconnect(connection);
    return focused;
}

bool focusTarget()
{
    const QStringList found = visibleWindows(QLatin1Char('^') + targetTitle + QLatin1Char('$'));
    return found.size() == 1 && xdotool({QStringLiteral("windowfocus"), found.first()}) &&
           waitUntil([] { return focusedWindowTitle() == targetTitle; });
}

} // namespace

// The X11 paste keys on a real X server, without a window manager: XTest key presses into another
// program's text window (the tests' paste-target), and none into this program's own windows or
// the desktop, even when another window has the focus by the time of the paste.
class TestX11PasteKeys : public QObject
{
    Q_OBJECT

    PasteKeys *keys = nullptr;

    // A window of this program taking the focus, as the history menu does, and letting it go.
    static bool passThroughOwnWindow()
    {
        QLineEdit own;
        own.setWindowTitle(QStringLiteral("Own window"));
        own.show();
        own.activateWindow();
        if (!waitUntil([] { return focusedWindowTitle() == QLatin1String("Own window"); }))
            return false;
        own.hide();
        return true;
    }

private Q_SLOTS:
    void initTestCase()
    {
        keys = PasteKeys::instance();
        QVERIFY(keys->isAvailable());
        QVERIFY(keys->knowsWindowClass());
    }

    void anotherProgramsWindowGetsTheKeys_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("terminalClasses");
        QTest::addColumn<QString>("expected");
        QTest::newRow("a text window")
            << QStringList() << QStringList{QStringLiteral("kitty")} << "key Ctrl+V";
        // Either name of WM_CLASS, in any case.
        QTest::newRow("a terminal") << QStringList{QStringLiteral("-name"), QStringLiteral("kitty")}
                                    << QStringList{QStringLiteral("foot"), QStringLiteral("KITTY")}
                                    << "key Ctrl+Shift+V";
    }

    void anotherProgramsWindowGetsTheKeys()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, terminalClasses);
        QFETCH(QString, expected);
        PasteTarget target;
        QVERIFY(target.start(QStringList{QStringLiteral("--title"), targetTitle} + arguments));
        QVERIFY(waitUntil([] { return focusedWindowTitle() == targetTitle; }));

        keys->rememberTarget();
        QVERIFY(keys->hasTarget());
        QVERIFY(passThroughOwnWindow());
        QSignalSpy finished(keys, &PasteKeys::finished);
        keys->paste(terminalClasses);
        QVERIFY(finished.size() == 1 || finished.wait(PasteKeys::focusWait + 1000));
        QCOMPARE(finished.at(0).at(0).toBool(), true);
        QVERIFY(!finished.at(0).at(1).toString().isEmpty());
        QVERIFY(target.waitForLine(expected));
        QCOMPARE(focusedWindowTitle(), targetTitle);
        QTest::qWait(300);
        QCOMPARE(target.received(), QStringList{expected});
        // The target is used up: a second paste sends nothing.
        keys->paste(terminalClasses);
        QCOMPARE(finished.size(), 2);
        QCOMPARE(finished.at(1).at(0).toBool(), false);
    }

    // Taken while one of these has the focus, there is no target: a paste sends nothing, not even
    // to the window that has the focus by then.
    void neverOurOwnWindowsNorTheDesktop_data()
    {
        QTest::addColumn<QString>("focused");
        QTest::newRow("a window of this program") << "own";
        QTest::newRow("the root window") << "root";
        QTest::newRow("PointerRoot") << "pointer root";
        QTest::newRow("the desktop's window") << "_NET_WM_WINDOW_TYPE_DESKTOP";
        QTest::newRow("a panel") << "_NET_WM_WINDOW_TYPE_DOCK";
    }

    void neverOurOwnWindowsNorTheDesktop()
    {
        QFETCH(QString, focused);
        PasteTarget target;
        QVERIFY(target.start({QStringLiteral("--title"), targetTitle}));

        QLineEdit own;
        own.setWindowTitle(QStringLiteral("Own window"));
        std::unique_ptr<ForeignWindow> desktop;
        if (focused == QLatin1String("own")) {
            own.show();
            own.activateWindow();
            QVERIFY(waitUntil([] { return focusedWindowTitle() == QLatin1String("Own window"); }));
        } else if (focused == QLatin1String("root") || focused == QLatin1String("pointer root")) {
            QVERIFY(focusRoot(focused == QLatin1String("pointer root")));
            QVERIFY(waitUntil([] { return focusedWindowTitle() != targetTitle; }));
        } else {
            desktop = std::make_unique<ForeignWindow>(qPrintable(focused));
            QVERIFY(desktop->focus());
        }

        keys->rememberTarget();
        QVERIFY(!keys->hasTarget());
        QVERIFY(focusTarget());
        QSignalSpy finished(keys, &PasteKeys::finished);
        keys->paste({});
        QVERIFY(finished.size() == 1 || finished.wait(PasteKeys::focusWait + 1000));
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QTest::qWait(500);
        QCOMPARE(target.received(), QStringList());
    }
};

QTEST_MAIN(TestX11PasteKeys)
#include "tst_x11_pastekeys.moc"

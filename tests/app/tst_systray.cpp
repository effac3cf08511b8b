// SPDX-License-Identifier: GPL-2.0-or-later

#include "dbusinterface.h"
#include "item.h"
#include "ksystemclipboard_fake.h"
#include "model.h"
#include "preferencesdialog.h"
#include "qfilteringmenuview.h"
#include "qkeysequencewidget.h"
#include "qxtglobalshortcut.h"
#include "systray.h"
#include "testenvironment.h"
#include "whenshown.h"

#include <QApplication>
#include <QDBusConnection>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <functional>
#include <memory>

using Morv::Item;
using Morv::Preferences;
using Morv::Systray;

namespace {

const QString welcome = QStringLiteral("Welcome to the morv-clip clipboard history applet");

Preferences *preferences()
{
    return Preferences::instance();
}

void setHistory(const QStringList &texts)
{
    QList<Item> items;
    for (const QString &text : texts)
        items.append(
            Item(QClipboard::Clipboard, Morv::PlainText, {{QStringLiteral("text/plain"), text.toUtf8()}}));
    preferences()->saveHistory(items);
}

void setSticky(const QStringList &texts)
{
    QList<Item> items;
    for (const QString &text : texts)
        items.append(Item(text));
    preferences()->saveSticky(items);
}

QStringList rows(const QAbstractItemModel *model)
{
    QStringList result;
    for (int row = 0; row < model->rowCount(); ++row)
        result.append(model->index(row, 0).data().toString());
    return result;
}

QStringList entryTexts(const QMenu *menu)
{
    QStringList result;
    for (const QAction *action : menu->actions())
        result.append(action->isSeparator() ? QStringLiteral("--") : action->text());
    return result;
}

// What the menu shows now: the entries a filter hides are left out.
QStringList visibleEntryTexts(const QMenu *menu)
{
    QStringList result;
    for (const QAction *action : menu->actions()) {
        if (action->isVisible())
            result.append(action->isSeparator() ? QStringLiteral("--") : action->text());
    }
    return result;
}

QImage imageOf(const QIcon &icon)
{
    return icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage imageOf(const QString &file)
{
    return imageOf(QIcon(file));
}

// A square of one colour, written as a PNG file.
bool writeImage(const QString &file, const QColor &colour, int size = 32)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(colour);
    return image.save(file, "PNG");
}

} // namespace

// The tray controller in the process, on a real X display, with the fake clipboard behind the
// history model: its menus and dialogs, the toggle of the history menu, and what it re-applies
// after the preferences dialog.
class TestSystray : public QObject
{
    Q_OBJECT

    FakeSystemClipboard *fake = nullptr;
    QTemporaryDir scratch;
    std::unique_ptr<Systray> tray;

    QFilteringMenuView *menu() const { return tray->historyMenu(); }
    QAction *contextEntry(int position) const { return tray->contextMenu()->actions().value(position); }

    void makeTray() { tray = std::make_unique<Systray>(); }

    // Moves the pointer and waits until the server has put it there.
    static bool pointAt(const QPoint &point)
    {
        QCursor::setPos(point);
        return QTest::qWaitFor([&] { return QCursor::pos() == point; }, 5000);
    }

    // A real key press through the X server, as from the keyboard.
    static bool pressKeys(const QString &keys)
    {
        return QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keys}) == 0;
    }

    static bool typeText(const QString &text)
    {
        return QProcess::execute(
                   QStringLiteral("xdotool"),
                   {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text}) == 0;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY(scratch.isValid());
        TestEnvironment::setUp();
        fake = FakeSystemClipboard::install();
    }

    void init()
    {
        fake->reset();
        TestEnvironment::clearSettings();
        preferences()->setValue(QStringLiteral("displaySize"), 200);
        QIcon::setThemeSearchPaths({scratch.filePath(QStringLiteral("no-themes"))});
        QIcon::setThemeName(QStringLiteral("morv-none"));
    }

    void cleanup()
    {
        tray.reset();
        QTest::qWait(0);
    }

    void iconFromTheTrayIconPreference()
    {
        makeTray();
        QCOMPARE(imageOf(tray->icon()), imageOf(QStringLiteral(":/icons/morv-clip.png")));
        QVERIFY(!tray->isVisible()); // start-up shows it once the bus name is taken
        tray.reset();

        const QString red = scratch.filePath(QStringLiteral("red.png"));
        QVERIFY(writeImage(red, Qt::red));
        preferences()->setValue(QStringLiteral("tray_icon_file"), red);
        makeTray();
        QCOMPARE(imageOf(tray->icon()).pixelColor(16, 16), QColor(Qt::red));
        tray.reset();

        preferences()->setValue(QStringLiteral("tray_icon_file"), QStringLiteral("/nonexistent/icon.png"));
        makeTray();
        QVERIFY(tray->icon().pixmap(32, 32).isNull());
    }

    void contextMenuEntries_data()
    {
        QTest::addColumn<bool>("withTheme");
        QTest::newRow("compiled-in images") << false;
        QTest::newRow("icon theme") << true;
    }

    void contextMenuEntries()
    {
        QFETCH(bool, withTheme);
        // A theme with its own colour per icon; "edit-clear-history" is there too, spelt right,
        // but the clear entry asks the theme for "edit-clear-hstory".
        const QHash<QString, QColor> themed = {{QStringLiteral("configure"), Qt::green},
                                               {QStringLiteral("help-about"), Qt::blue},
                                               {QStringLiteral("application-exit"), Qt::magenta},
                                               {QStringLiteral("edit-clear-history"), Qt::cyan}};
        if (withTheme) {
            const QString theme = scratch.filePath(QStringLiteral("themes/morv-test"));
            QVERIFY(QDir().mkpath(theme + QStringLiteral("/32x32/actions")));
            QFile index(theme + QStringLiteral("/index.theme"));
            QVERIFY(index.open(QIODevice::WriteOnly));
            index.write("[Icon Theme]\nName=morv-test\nDirectories=32x32/actions\n\n"
                        "[32x32/actions]\nSize=32\nType=Fixed\n");
            index.close();
            for (auto it = themed.cbegin(); it != themed.cend(); ++it)
                QVERIFY(
                    writeImage(theme + QStringLiteral("/32x32/actions/%1.png").arg(it.key()), it.value()));
            QIcon::setThemeSearchPaths({scratch.filePath(QStringLiteral("themes"))});
            QIcon::setThemeName(QStringLiteral("morv-test"));
        }
        makeTray();

        QCOMPARE(tray->contextMenu()->parent(), nullptr);
        QCOMPARE(entryTexts(tray->contextMenu()),
                 (QStringList{"C&lear clipboard history", "&Configure...", "Pause history", "--",
                              "&About ...", "&Quit"}));

        const QStringList fallbacks{"edit-clear-history", "configure",       "", "",
                                    "help-about",         "application-exit"};
        const QStringList themeNames{"", "configure", "", "", "help-about", "application-exit"};
        for (int position : {0, 1, 4, 5}) {
            const QImage shown = imageOf(contextEntry(position)->icon());
            const QString name = themeNames.at(position);
            if (withTheme && !name.isEmpty()) {
                QCOMPARE(shown.pixelColor(16, 16), themed.value(name));
            } else {
                QCOMPARE(shown, imageOf(QStringLiteral(":/icons/%1.png").arg(fallbacks.at(position))));
            }
        }
    }

    void historyMenuAndShortcut()
    {
        setHistory({"one", "two"});
        makeTray();
        QVERIFY(menu());
        QCOMPARE(menu()->parent(), nullptr);
        QCOMPARE(menu()->model(), tray->model());
        QCOMPARE(menu()->windowTitle(), QStringLiteral("morv-clip - a clipboard history applet"));
        QCOMPARE(menu()->windowFlags(), Qt::WindowFlags(Qt::Dialog | Qt::CustomizeWindowHint));
        QCOMPARE(tray->model()->parent(), tray.get());
        QCOMPARE(tray->globalShortcut()->parent(), tray.get());
        QCOMPARE(tray->globalShortcut()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+V")));
    }

    // The menus have no parent; the tray deletes them itself, at once: at exit the event loop
    // has ended and would never run deferred deletions.
    void theMenusGoWithTheTray()
    {
        makeTray();
        tray->shortcut_activated();
        QTRY_VERIFY(menu()->isVisible());
        const QPointer<QMenu> context = tray->contextMenu();
        const QPointer<QFilteringMenuView> history = tray->historyMenu();
        tray.reset();
        QVERIFY(context.isNull());
        QVERIFY(history.isNull());
    }

    void toggleAtThePointer()
    {
        setHistory({"one", "two"});
        makeTray();
        QVERIFY(pointAt(QPoint(300, 200)));
        tray->shortcut_activated();
        QTRY_VERIFY(menu()->isVisible());
        QCOMPARE(menu()->pos(), QPoint(300, 200));
        QCOMPARE(entryTexts(menu()), (QStringList{"one", "two"}));
        QCOMPARE(menu()->activeAction(), nullptr); // nothing preselected
        QTRY_VERIFY(menu()->isActiveWindow());     // it takes the keyboard

        tray->shortcut_activated();
        QVERIFY(!menu()->isVisible());

        // The next opening follows the pointer and shows what changed meanwhile.
        fake->simulateCopy(QStringLiteral("three"));
        QTRY_COMPARE(tray->model()->rowCount(), 3);
        QVERIFY(pointAt(QPoint(500, 320)));
        tray->shortcut_activated();
        QTRY_VERIFY(menu()->isVisible());
        QCOMPARE(menu()->pos(), QPoint(500, 320));
        QCOMPARE(entryTexts(menu()), (QStringList{"three", "one", "two"}));
    }

    // Tool tips carry the larger previews of pictures: shown with the previews, as the preference
    // is at each opening.
    void theMenuShowsToolTipsWithThePreviewsOnly()
    {
        setHistory({"one"});
        makeTray();
        for (const bool previews : {false, true, false}) {
            Morv::Preferences::instance()->setValue(QStringLiteral("showPreviews"), previews);
            tray->shortcut_activated();
            QTRY_VERIFY(menu()->isVisible());
            QCOMPARE(menu()->toolTipsVisible(), previews);
            tray->shortcut_activated();
            QVERIFY(!menu()->isVisible());
        }
    }

    void activationReasons_data()
    {
        QTest::addColumn<int>("reason");
        QTest::addColumn<bool>("toggles");
        QTest::newRow("single click") << int(QSystemTrayIcon::Trigger) << true;
        QTest::newRow("double click") << int(QSystemTrayIcon::DoubleClick) << false;
        QTest::newRow("middle click") << int(QSystemTrayIcon::MiddleClick) << false;
        QTest::newRow("context") << int(QSystemTrayIcon::Context) << false;
        QTest::newRow("unknown") << int(QSystemTrayIcon::Unknown) << false;
    }

    void activationReasons()
    {
        QFETCH(int, reason);
        QFETCH(bool, toggles);
        makeTray();
        const auto activate = [this, reason] {
            emit tray->activated(QSystemTrayIcon::ActivationReason(reason));
        };

        // The slot runs inside the emission: the result is there at once.
        activate();
        QCOMPARE(menu()->isVisible(), toggles);
        if (!toggles) {
            // Nor does it close an open menu.
            tray->shortcut_activated();
            QTRY_VERIFY(menu()->isVisible());
        }
        activate();
        QCOMPARE(menu()->isVisible(), !toggles);
    }

    void theHotKeyIsNotTakenByTheOpenMenu()
    {
        // An entry whose text has an ampersand, and a hot key that would be its mnemonic with Alt
        // if copied texts carried mnemonics (they do not: the menu shows the ampersand).
        preferences()->setValue(QStringLiteral("shortcut"), QStringLiteral("Alt+O"));
        setHistory({"&open", "two"});
        makeTray();
        tray->shortcut_activated();
        QTRY_VERIFY(menu()->isActiveWindow());
        fake->clearWrites();

        // The modifiers of a combination such as Ctrl+Alt+V come first: were the menu to close on
        // the Alt, the toggle would open it again on the V instead of closing it.
        QTest::keyPress(menu(), Qt::Key_Alt, Qt::AltModifier);
        QVERIFY(menu()->isVisible());
        QTest::keyRelease(menu(), Qt::Key_Alt, Qt::NoModifier);
        // The combination itself, seen by the toggle already, chooses no entry.
        QTest::keyClick(menu(), Qt::Key_O, Qt::AltModifier);
        QVERIFY(menu()->isVisible());
        QVERIFY(fake->writes().isEmpty());

        // Other keys still reach the menu; a letter filters the entries and chooses nothing.
        QTest::keyClick(menu(), Qt::Key_Escape);
        QTRY_VERIFY(!menu()->isVisible());
        tray->shortcut_activated();
        QTRY_VERIFY(menu()->isActiveWindow());
        QTest::keyClick(menu(), Qt::Key_O);
        QVERIFY(menu()->isVisible());
        QVERIFY(fake->writes().isEmpty());
        QCOMPARE(menu()->filterText(), QStringLiteral("o"));
        // Nor is the combination typed into the filter.
        QTest::keyClick(menu(), Qt::Key_O, Qt::AltModifier);
        QCOMPARE(menu()->filterText(), QStringLiteral("o"));
        QVERIFY(menu()->isVisible());
        QTest::keyClick(menu(), Qt::Key_Return);
        QTRY_VERIFY(!menu()->isVisible());
        QCOMPARE(fake->content(QClipboard::Clipboard).value(QStringLiteral("text/plain")),
                 QByteArray("&open"));
    }

    // Typed on the keyboard through the X server: a word beyond the shown part of an entry, in
    // other case, finds it (sticky items too), and Return puts that item back.
    void typingFindsEntriesByTheirWholeText()
    {
        preferences()->setValue(QStringLiteral("displaySize"), 12);
        setSticky({"sticky about Lisbon"});
        setHistory({"newest", "second line\nwith the word Lisbon in it\n", "oldest"});
        makeTray();
        tray->shortcut_activated();
        QTRY_VERIFY(menu()->isActiveWindow());
        fake->clearWrites();

        QVERIFY(typeText(QStringLiteral("LISB")));
        QTRY_COMPARE(menu()->filterText(), QStringLiteral("LISB"));
        QCOMPARE(visibleEntryTexts(menu()), (QStringList{"LISB", "--", "sticky about", "second line\n"}));
        QCOMPARE(menu()->activeAction()->text(), QStringLiteral("sticky about"));
        QVERIFY(pressKeys(QStringLiteral("Down")));
        QVERIFY(pressKeys(QStringLiteral("Return")));
        QTRY_VERIFY(!menu()->isVisible());
        QCOMPARE(fake->writes().size(), 1);
        QCOMPARE(fake->content(QClipboard::Clipboard).value(QStringLiteral("text/plain")),
                 QByteArray("second line\nwith the word Lisbon in it\n"));
        QCOMPARE(rows(tray->model()), (QStringList{"sticky about", "second line\n", "newest", "oldest"}));

        // The next opening starts without a filter.
        tray->shortcut_activated();
        QTRY_VERIFY(menu()->isActiveWindow());
        QCOMPARE(menu()->filterText(), QString());
        QCOMPARE(visibleEntryTexts(menu()), rows(tray->model()));
    }

    // The menu has a fixed size (a tiling compositor floats it for that): while the user types, it
    // keeps its place and width and its height follows the entries left.
    void theMenuFitsTheEntriesLeft()
    {
        QStringList texts;
        for (int n = 1; n <= 20; ++n)
            texts.append(QStringLiteral("entry number %1").arg(n));
        texts.append(QStringLiteral("the widest entry of them all, by far"));
        setHistory(texts);
        makeTray();
        QVERIFY(pointAt(QPoint(300, 100)));
        tray->shortcut_activated();
        QTRY_VERIFY(menu()->isActiveWindow());
        const QRect opened = menu()->geometry();
        QCOMPARE(opened.topLeft(), QPoint(300, 100));

        QVERIFY(typeText(QStringLiteral("er 1")));
        QTRY_COMPARE(menu()->filterText(), QStringLiteral("er 1"));
        QCOMPARE(visibleEntryTexts(menu()).size(), 2 + 11); // 1, 10 to 19
        QTRY_COMPARE(menu()->geometry().topLeft(), opened.topLeft());
        QCOMPARE(menu()->width(), opened.width());
        QVERIFY(menu()->height() < opened.height() * 3 / 4);
        QCOMPARE(menu()->minimumSize(), menu()->maximumSize());
        // Every entry left is inside the window.
        for (QAction *action : menu()->actions()) {
            if (action->isVisible())
                QVERIFY(menu()->rect().contains(menu()->actionGeometry(action)));
        }

        QVERIFY(pressKeys(QStringLiteral("Escape")));
        QTRY_COMPARE(menu()->geometry(), opened);
        QVERIFY(pressKeys(QStringLiteral("Escape")));
        QTRY_VERIFY(!menu()->isVisible());

        // Each opening fits the menu afresh: no longer as wide once the widest entry is shorter.
        preferences()->setValue(QStringLiteral("displaySize"), 12);
        tray->shortcut_activated();
        QTRY_VERIFY(menu()->isVisible());
        QVERIFY(menu()->width() < opened.width() * 3 / 4);
    }

    // Near the bottom of the screen the menu opens above the pointer; grown by the filter entry, it
    // moves up rather than out of the screen.
    void aGrownMenuStaysOnTheScreen()
    {
        setHistory({"alpha", "beta", "gamma"});
        makeTray();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(pointAt(QPoint(300, screen.bottom() - 5)));
        tray->shortcut_activated();
        QTRY_VERIFY(menu()->isActiveWindow());
        const QRect opened = menu()->geometry();
        QVERIFY(screen.contains(opened));

        QVERIFY(typeText(QStringLiteral("a")));
        QTRY_COMPARE(visibleEntryTexts(menu()), (QStringList{"a", "--", "alpha", "beta", "gamma"}));
        QTRY_VERIFY(menu()->height() > opened.height());
        QTRY_VERIFY(screen.contains(menu()->geometry()));
        QCOMPARE(menu()->x(), opened.x());
    }

    void aChosenEntryIsRestoredBeforeTheMenuCloses()
    {
        setSticky({"sticky"});
        setHistory({"one", "two", "three"});
        makeTray();
        tray->shortcut_activated();
        QTRY_VERIFY(menu()->isActiveWindow());
        fake->clearWrites();
        int writesWhenClosing = -1;
        connect(menu(), &QMenu::aboutToHide, this, [&] { writesWhenClosing = int(fake->writes().size()); });

        QTest::keyClick(menu(), Qt::Key_Down);
        QTest::keyClick(menu(), Qt::Key_Down);
        QTest::keyClick(menu(), Qt::Key_Down);
        QTest::keyClick(menu(), Qt::Key_Return);

        QTRY_VERIFY(!menu()->isVisible());
        QCOMPARE(writesWhenClosing, 1);
        QCOMPARE(fake->content(QClipboard::Clipboard).value(QStringLiteral("text/plain")), QByteArray("two"));
        QCOMPARE(rows(tray->model()), (QStringList{"sticky", "two", "one", "three"}));
    }

    void clearing_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("confirmed with Ok") << true << "ok" << true;
        QTest::newRow("cancelled") << true << "cancel" << false;
        QTest::newRow("escaped") << true << "escape" << false;
        QTest::newRow("closed") << true << "close" << false;
        QTest::newRow("without confirmation") << false << "" << true;
    }

    void clearing()
    {
        QFETCH(bool, confirm);
        QFETCH(QString, answer);
        QFETCH(bool, cleared);
        preferences()->setValue(QStringLiteral("confirmClear"), confirm);
        setSticky({"sticky"});
        setHistory({"one", "two"});
        makeTray();

        QString title, text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        WhenShown<QMessageBox> box([&](QMessageBox *shown) {
            title = shown->windowTitle();
            text = shown->text();
            buttons = shown->standardButtons();
            if (QAbstractButton *button = shown->defaultButton())
                defaultButton = shown->standardButton(button);
            if (answer == QLatin1String("ok"))
                shown->button(QMessageBox::Ok)->click();
            else if (answer == QLatin1String("cancel"))
                shown->button(QMessageBox::Cancel)->click();
            else if (answer == QLatin1String("escape"))
                QTest::keyClick(shown, Qt::Key_Escape);
            else
                shown->close();
        });
        contextEntry(0)->trigger();

        if (confirm) {
            QCOMPARE(box.shown, 1);
            QCOMPARE(title, QStringLiteral("Confirm"));
            QCOMPARE(text, QStringLiteral("Are you sure that you want to clear your clipboard history?"));
            QCOMPARE(buttons, QMessageBox::Ok | QMessageBox::Cancel);
            QCOMPARE(defaultButton, QMessageBox::Cancel);
        } else {
            // A box would have run its own event loop inside trigger() and been answered there.
            QCOMPARE(box.shown, 0);
        }
        QCOMPARE(rows(tray->model()),
                 cleared ? (QStringList{"sticky", welcome}) : (QStringList{"sticky", "one", "two"}));
    }

    void preferencesDialog_data()
    {
        QTest::addColumn<bool>("accepted");
        QTest::newRow("accepted") << true;
        QTest::newRow("rejected") << false;
    }

    void preferencesDialog()
    {
        QFETCH(bool, accepted);
        const QString red = scratch.filePath(QStringLiteral("red.png"));
        QVERIFY(writeImage(red, Qt::red));
        preferences()->setValue(QStringLiteral("tray_icon_file"), red);
        setSticky({"kept"});
        setHistory({"one"});
        makeTray();
        QSignalSpy activations(tray->globalShortcut(), &QxtGlobalShortcut::activated);

        WhenShown<Morv::PreferencesDialog> dialog([accepted](Morv::PreferencesDialog *shown) {
            shown->shortcutWidget->setKeySequence(QKeySequence(QStringLiteral("Ctrl+Alt+B")));
            shown->listWidget->addItem(QStringLiteral("new sticky"));
            // The icon menu's second entry goes back to the compiled-in icon.
            shown->buttonIconImage->menu()->actions().at(1)->trigger();
            if (accepted)
                shown->buttonBox->button(QDialogButtonBox::Ok)->click();
            else
                shown->buttonBox->button(QDialogButtonBox::Cancel)->click();
        });
        contextEntry(1)->trigger();
        QCOMPARE(dialog.shown, 1);

        if (accepted) {
            QCOMPARE(tray->globalShortcut()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+B")));
            QCOMPARE(rows(tray->model()), (QStringList{"kept", "new sticky", "one"}));
            QCOMPARE(imageOf(tray->icon()), imageOf(QStringLiteral(":/icons/morv-clip.png")));
        } else {
            QCOMPARE(tray->globalShortcut()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+V")));
            QCOMPARE(rows(tray->model()), (QStringList{"kept", "one"}));
            QCOMPARE(imageOf(tray->icon()).pixelColor(16, 16), QColor(Qt::red));
        }

        // The key grabbed now, pressed on the real keyboard, opens the menu; the other one does
        // nothing. The other one is pressed first: had it been grabbed, its activation would have
        // been counted before the second key's.
        const QString grabbed = accepted ? QStringLiteral("ctrl+alt+b") : QStringLiteral("ctrl+alt+v");
        const QString released = accepted ? QStringLiteral("ctrl+alt+v") : QStringLiteral("ctrl+alt+b");
        QVERIFY(pressKeys(released));
        QVERIFY(pressKeys(grabbed));
        QTRY_COMPARE(activations.count(), 1);
        QTRY_VERIFY(menu()->isVisible());
        QCOMPARE(activations.count(), 1);
    }

    void aboutBox_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("yes");
        QTest::newRow("English") << ""
                                 << "About morv-clip"
                                 << "Yes";
        QTest::newRow("German") << "de" << QString::fromUtf8("Über morv-clip") << "Ja";
    }

    void aboutBox()
    {
        QFETCH(QString, language);
        QFETCH(QString, title);
        QFETCH(QString, yes);
        QTranslator translator;
        if (!language.isEmpty()) {
            QVERIFY(translator.load(
                QStringLiteral(MORV_BINARY_DIR "/translations/morv-clip_%1.qm").arg(language)));
            QCoreApplication::installTranslator(&translator);
        }
        makeTray();

        QString windowTitle, text, informative;
        QSize pixmapSize;
        bool hasWindowIcon = false;
        QMessageBox::StandardButtons buttons;
        WhenShown<QMessageBox> box([&](QMessageBox *shown) {
            windowTitle = shown->windowTitle();
            text = shown->text();
            informative = shown->informativeText();
            pixmapSize = shown->iconPixmap().size();
            hasWindowIcon = !shown->windowIcon().isNull();
            buttons = shown->standardButtons();
            QTest::keyClick(shown, Qt::Key_Return);
        });
        contextEntry(4)->trigger();
        QCoreApplication::removeTranslator(&translator);

        QCOMPARE(box.shown, 1);
        QCOMPARE(windowTitle, title);
        QCOMPARE(text, QStringLiteral("<h1>morv-clip</strong> " MORV_PROJECT_VERSION "</h1>"));
        QVERIFY2(informative.startsWith(language.isEmpty()
                                            ? QStringLiteral("Lightweight, clipboard history applet.")
                                            : QStringLiteral("Leichtgewichtiges")),
                 qPrintable(informative));
        QVERIFY2(informative.contains(QStringLiteral("<ul>")), qPrintable(informative));
        QVERIFY2(informative.endsWith(QStringLiteral(": ") + yes), qPrintable(informative));
        QCOMPARE(pixmapSize, QSize(128, 128));
        QVERIFY(hasWindowIcon);
        QCOMPARE(buttons, QMessageBox::Ok);
        QVERIFY(tray->model()); // the program goes on
    }

    void dbusShowToggles()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.registerService(QStringLiteral("org.morv.morv-clip")));
        makeTray();
        Morv::DbusInterface object(tray.get());
        QVERIFY(
            bus.registerObject(QStringLiteral("/org/morv/clip"), &object, QDBusConnection::ExportAllSlots));

        // Another program calls; the call is served from the event loop, so it must not block it.
        const auto callShow = [] {
            auto *sender = new QProcess;
            sender->start(QStringLiteral("dbus-send"),
                          {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                           QStringLiteral("--dest=org.morv.morv-clip"), QStringLiteral("/org/morv/clip"),
                           QStringLiteral("org.morv.clip.show")});
            return std::unique_ptr<QProcess>(sender);
        };
        const auto finishedWell = [](QProcess *process) {
            return process->state() == QProcess::NotRunning &&
                   process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
        };

        auto first = callShow();
        QTRY_VERIFY(finishedWell(first.get()));
        QTRY_VERIFY(menu()->isVisible());
        auto second = callShow();
        QTRY_VERIFY(finishedWell(second.get()));
        QTRY_VERIFY(!menu()->isVisible());

        // Served while the preferences dialog runs its own event loop, too.
        bool openedUnderTheDialog = false;
        bool closedUnderTheDialog = false;
        WhenShown<Morv::PreferencesDialog> dialog([&](Morv::PreferencesDialog *shown) {
            auto third = callShow();
            openedUnderTheDialog = QTest::qWaitFor([&] { return menu()->isVisible(); }, 10000);
            auto fourth = callShow();
            closedUnderTheDialog = QTest::qWaitFor([&] { return !menu()->isVisible(); }, 10000);
            third->waitForFinished();
            fourth->waitForFinished();
            shown->reject();
        });
        contextEntry(1)->trigger();
        QCOMPARE(dialog.shown, 1);
        QVERIFY(openedUnderTheDialog);
        QVERIFY(closedUnderTheDialog);

        bus.unregisterObject(QStringLiteral("/org/morv/clip"));
        QVERIFY(bus.unregisterService(QStringLiteral("org.morv.morv-clip")));
    }

    // Last: the event loop of the whole program runs here and is ended by the Quit entry.
    void quitEndsTheEventLoop()
    {
        setHistory({"one"});
        makeTray();
        QTimer::singleShot(0, contextEntry(5), &QAction::trigger);
        QTimer watchdog;
        connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        watchdog.start(10000);
        QCOMPARE(QApplication::exec(), 0);
        // Quitting stores nothing by itself: the history is stored when the tray goes.
        preferences()->waitForBackgroundSave();
        preferences()->remove(QStringLiteral("dynamic"));
        preferences()->sync();
        tray.reset();
        QCOMPARE(preferences()->loadHistory().size(), 1);
    }
};

QTEST_MAIN(TestSystray)
#include "tst_systray.moc"

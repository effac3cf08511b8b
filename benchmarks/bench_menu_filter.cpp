// SPDX-License-Identifier: GPL-2.0-or-later

// Measures a key press in the open history menu, from the key event to the end of the repaint of
// the filtered menu: the tray's real history menu over the real model with 99 items. Typing
// narrows the entries; Backspace and Escape widen them again up to all 99.
//
//   bench-menu-filter [--long] [--runs N]
//
// --long: each item is 64 KB of text whose distinguishing word comes at its very end, so that a
// filter that matches nothing in the rest searches the whole text of every entry.
//
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM names another (xcb with a DISPLAY
// measures the X11 path as well), with an in-process clipboard and a temporary settings file.

#include "ksystemclipboard_fake.h"
#include "model.h"
#include "preferences.h"
#include "qfilteringmenuview.h"
#include "startup.h"
#include "systray.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <algorithm>

namespace {

constexpr int historySize = 99;

// Notes when the menu has been painted.
class PaintWatch : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

QString itemText(int n, bool longText)
{
    if (!longText)
        return QStringLiteral("Copied text number %1, a line of ordinary length for a menu").arg(n);
    QString text;
    text.reserve(64 * 1024 + 16);
    while (text.size() < 64 * 1024)
        text += QStringLiteral("The quick brown fox jumps over the lazy dog. ");
    return text + QStringLiteral("item-%1").arg(n);
}

struct Figures
{
    double median = 0;
    double ninetieth = 0;
    double slowest = 0;
};

Figures summary(QList<double> times)
{
    std::sort(times.begin(), times.end());
    return {times.at(times.size() / 2), times.at(times.size() * 9 / 10), times.last()};
}

// One key press, from the event to the repainted menu, in milliseconds.
double press(QWidget *menu, PaintWatch &watch, Qt::Key key, const QString &text = QString())
{
    watch.painted = false;
    QElapsedTimer clock;
    clock.start();
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(menu, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(menu, &up);
    // The repaint was asked for by update(): it comes with the next pass of the event loop.
    while (!watch.painted && clock.elapsed() < 5000)
        QCoreApplication::processEvents();
    return clock.nsecsElapsed() / 1e6;
}

Qt::Key keyOf(QChar c)
{
    if (c.isLetter())
        return Qt::Key(Qt::Key_A + (c.toUpper().unicode() - 'A'));
    if (c.isDigit())
        return Qt::Key(Qt::Key_0 + (c.unicode() - '0'));
    if (c == QLatin1Char(' '))
        return Qt::Key_Space;
    return Qt::Key_unknown;
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const bool longTexts = arguments.contains(QStringLiteral("--long"));
    const int runsAt = arguments.indexOf(QStringLiteral("--runs"));
    const int runs = runsAt > 0 ? std::max(1, arguments.value(runsAt + 1).toInt()) : 21;

    QTemporaryDir settingsFolder;
    Morv::StartUp::setIdentity();
    Morv::StartUp::setApplicationDefaults();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    FakeSystemClipboard *clipboard = FakeSystemClipboard::install();
    Morv::Preferences *preferences = Morv::Preferences::instance();
    preferences->setValue(QStringLiteral("historyCount"), historySize);
    preferences->setValue(QStringLiteral("synchronizeHistory"), false);

    Morv::Systray tray;
    for (int n = 1; n <= historySize; ++n) {
        clipboard->simulateCopy(itemText(n, longTexts));
        QCoreApplication::processEvents();
    }
    if (!QTest::qWaitFor([&] { return tray.model()->rowCount() >= historySize; }, 10000))
        qFatal("the history did not fill");
    QFilteringMenuView *menu = tray.historyMenu();
    PaintWatch watch;
    menu->installEventFilter(&watch);

    // Typed: each character narrows the entries. The first characters keep many entries (and
    // with --long the second one already matches nothing before the end of each text).
    // Backspace and Escape widen them again. Each press is counted by what it did to the size of
    // the menu: a press that changes it costs a new window buffer as well.
    const QString typed = longTexts ? QStringLiteral("item-4") : QStringLiteral("number 4");
    struct Key
    {
        Qt::Key key;
        QString text;
    };
    QList<Key> keys;
    for (const QChar c : typed)
        keys.append({keyOf(c), QString(c)});
    keys += {{Qt::Key_Backspace, {}}, {Qt::Key_Backspace, {}},          {Qt::Key_Backspace, {}},
             {Qt::Key_Escape, {}},    {Qt::Key_4, QStringLiteral("4")}, {Qt::Key_Backspace, {}}};
    QSize fullSize;
    QList<double> all;
    QList<double> sameSize;
    QList<double> shrinking;
    QList<double> growing;
    // The first opening draws every text for the first time and fills the glyph caches: like the
    // first opening after the applet started, it is not counted.
    for (int run = -1; run < runs; ++run) {
        tray.shortcut_activated();
        if (!QTest::qWaitForWindowExposed(menu))
            qFatal("the history menu did not open");
        QTest::qWait(20);
        fullSize = menu->size();
        for (const Key &key : std::as_const(keys)) {
            const int before = menu->width() * menu->height();
            const double time = press(menu, watch, key.key, key.text);
            const int after = menu->width() * menu->height();
            if (run < 0)
                continue;
            all.append(time);
            (after == before ? sameSize : after < before ? shrinking : growing).append(time);
        }
        menu->hide();
        QCoreApplication::processEvents();
    }

    QTextStream out(stdout);
    const auto row = [&](const QString &what, const QList<double> &times) {
        if (times.isEmpty())
            return;
        const Figures figures = summary(times);
        out << QStringLiteral("| %1 | %2 | %3 ms | %4 ms | %5 ms | ≤ 16 ms |\n")
                   .arg(what)
                   .arg(times.size())
                   .arg(figures.median, 0, 'f', 2)
                   .arg(figures.ninetieth, 0, 'f', 2)
                   .arg(figures.slowest, 0, 'f', 2);
    };
    out << QStringLiteral("%1 items of %2, platform %3, %4 runs of the keys \"%5\", 3 Backspace, "
                          "Escape, \"4\", Backspace\n\n")
               .arg(tray.model()->rowCount())
               .arg(longTexts ? QStringLiteral("64 KB") : QStringLiteral("one line"))
               .arg(QGuiApplication::platformName())
               .arg(runs)
               .arg(typed);
    out << "| key press to repainted menu | presses | median | 90th percentile | slowest | target |\n"
           "|---|---|---|---|---|---|\n";
    row(QStringLiteral("every key press"), all);
    row(QStringLiteral("the menu keeps its size"), sameSize);
    row(QStringLiteral("the menu shrinks"), shrinking);
    row(QStringLiteral("the menu grows"), growing);

    // What a change of size costs at least: the window system's buffer for the new size is fresh
    // memory, and every page of it is touched when the menu is drawn. (Kept till the end: memory
    // given back would be handed out again, its pages already there.)
    QList<double> buffers;
    QList<QImage> kept;
    for (int i = 0; i < 21; ++i) {
        QElapsedTimer clock;
        clock.start();
        QImage buffer(fullSize, QImage::Format_ARGB32_Premultiplied);
        buffer.fill(Qt::transparent);
        buffers.append(clock.nsecsElapsed() / 1e6);
        kept.append(buffer);
    }
    const Figures buffer = summary(buffers);
    out << QStringLiteral("\nA new buffer of the unfiltered menu's size (%1 x %2), allocated and cleared: "
                          "median %3 ms, slowest %4 ms\n")
               .arg(fullSize.width())
               .arg(fullSize.height())
               .arg(buffer.median, 0, 'f', 2)
               .arg(buffer.slowest, 0, 'f', 2);
    return 0;
}

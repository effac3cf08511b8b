// SPDX-License-Identifier: GPL-2.0-or-later

#include "clipboardwrap.h"
#include "ksystemclipboard_fake.h"
#include "model.h"
#include "systray.h"
#include "testenvironment.h"

#include <QAction>
#include <QMenu>
#include <QTest>

#include <memory>

using Morv::ClipboardWrap;
using Morv::Preferences;
using Morv::Systray;

namespace {

QImage imageOf(const QIcon &icon)
{
    return icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

// The tray's side of pausing the history: its checkable entry, and the icon and tool tip that
// show the state, whoever changed it.
class TestTrayPause : public QObject
{
    Q_OBJECT

    FakeSystemClipboard *clipboard = nullptr;
    std::unique_ptr<Systray> tray;

    QAction *pauseEntry() const
    {
        for (QAction *action : tray->contextMenu()->actions()) {
            if (action->text() == QLatin1String("Pause history"))
                return action;
        }
        return nullptr;
    }

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment::setUp();
        clipboard = FakeSystemClipboard::install();
    }

    void init()
    {
        clipboard->reset();
        TestEnvironment::clearSettings();
        tray = std::make_unique<Systray>();
    }

    void cleanup()
    {
        ClipboardWrap::instance()->setPaused(false);
        tray.reset();
    }

    void theEntryPausesAndResumes()
    {
        QAction *entry = pauseEntry();
        QVERIFY(entry);
        QVERIFY(entry->isCheckable());
        QVERIFY(!entry->isChecked());
        const QImage normal = imageOf(tray->icon());
        QCOMPARE(normal, imageOf(QIcon(QStringLiteral(":/icons/morv-clip.png"))));
        QVERIFY(tray->toolTip().isEmpty());

        entry->trigger();
        QVERIFY(ClipboardWrap::instance()->isPaused());
        QVERIFY(clipboard->isReadingPaused());
        const QImage paused = imageOf(tray->icon());
        QVERIFY(!paused.isNull());
        QVERIFY(paused != normal);
        // Greyed: the upper left quarter, away from the pause sign, has no colour left.
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 12; ++x) {
                const QColor colour = paused.pixelColor(x, y);
                if (colour.alpha() > 0)
                    QVERIFY2(colour.hsvSaturation() < 40, qPrintable(colour.name()));
            }
        }
        // The pause sign: white bars on a dark disc in the lower right quarter.
        QVERIFY2(paused.pixelColor(19, 22).value() > 200, qPrintable(paused.pixelColor(19, 22).name()));
        QVERIFY2(paused.pixelColor(23, 22).value() < 100, qPrintable(paused.pixelColor(23, 22).name()));
        QVERIFY2(paused.pixelColor(26, 22).value() > 200, qPrintable(paused.pixelColor(26, 22).name()));
        QCOMPARE(tray->toolTip(), QStringLiteral("morv-clip - the clipboard history is paused"));

        entry->trigger();
        QVERIFY(!ClipboardWrap::instance()->isPaused());
        QCOMPARE(imageOf(tray->icon()), normal);
        QVERIFY(tray->toolTip().isEmpty());
    }

    // An icon file that cannot be read leaves an empty icon; paused, the pause sign shows alone.
    void aMissingIconFileStillShowsThePause()
    {
        Preferences::instance()->setValue(QStringLiteral("tray_icon_file"),
                                          QStringLiteral("/nonexistent/icon.png"));
        tray = std::make_unique<Systray>();
        QVERIFY(tray->icon().pixmap(32, 32).isNull());
        ClipboardWrap::instance()->setPaused(true);
        const QImage paused = imageOf(tray->icon());
        QCOMPARE(paused.pixelColor(2, 2).alpha(), 0);
        QVERIFY2(paused.pixelColor(19, 22).value() > 200, qPrintable(paused.pixelColor(19, 22).name()));
    }

    // Paused from elsewhere (D-Bus), the tray follows.
    void theTrayFollowsTheState()
    {
        ClipboardWrap::instance()->setPaused(true);
        QVERIFY(pauseEntry()->isChecked());
        QVERIFY(!tray->toolTip().isEmpty());
        ClipboardWrap::instance()->setPaused(false);
        QVERIFY(!pauseEntry()->isChecked());
        QVERIFY(tray->toolTip().isEmpty());
    }
};

QTEST_MAIN(TestTrayPause)
#include "tst_traypause.moc"

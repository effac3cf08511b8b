// SPDX-License-Identifier: GPL-2.0-or-later

#include "clipboardwrap.h"
#include "ksystemclipboard_fake.h"
#include "testenvironment.h"

#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using Morv::ClipboardWrap;
using Report = FakeSystemClipboard::Report;

// The wrapper merges the platform's notifications into one per pass of the event loop and mutes
// those that arrive inside its own writes. The fake clipboard decides when notifications come.
class TestClipboardWrap : public QObject
{
    Q_OBJECT

    FakeSystemClipboard *fake = nullptr;

    // Lets the event loop run until every zero timer started so far has fired and every event
    // posted meanwhile has been delivered, a few rounds deep (a notification can start a timer
    // whose slot posts the next one).
    static void settle()
    {
        for (int round = 0; round < 4; ++round) {
            QTimer marker;
            marker.setSingleShot(true);
            QSignalSpy fired(&marker, &QTimer::timeout);
            marker.start(0);
            QTRY_COMPARE(fired.count(), 1);
            QCoreApplication::sendPostedEvents();
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment::setUp();
        fake = FakeSystemClipboard::install();
    }

    void init()
    {
        settle();
        fake->reset();
    }

    void theWrapperUsesTheProcessClipboard()
    {
        QCOMPARE(ClipboardWrap::instance()->mimeData(QClipboard::Clipboard), nullptr);
        fake->simulateCopy(QStringLiteral("x"), QClipboard::Selection, Report::Silent);
        QCOMPARE(ClipboardWrap::instance()->mimeData(QClipboard::Selection),
                 fake->mimeData(QClipboard::Selection));
        QCOMPARE(ClipboardWrap::instance()->mimeData(QClipboard::Selection)->text(), QStringLiteral("x"));
    }

    void notificationsOfOnePassGiveOneSignal_data()
    {
        QTest::addColumn<QList<int>>("modes");
        QTest::addColumn<int>("expected");
        QTest::newRow("three clipboard changes")
            << QList<int>{QClipboard::Clipboard, QClipboard::Clipboard, QClipboard::Clipboard}
            << int(QClipboard::Clipboard);
        QTest::newRow("clipboard then selection")
            << QList<int>{QClipboard::Clipboard, QClipboard::Selection} << int(QClipboard::Selection);
        QTest::newRow("selection, find buffer, clipboard")
            << QList<int>{QClipboard::Selection, QClipboard::FindBuffer, QClipboard::Clipboard}
            << int(QClipboard::Clipboard);
    }

    void notificationsOfOnePassGiveOneSignal()
    {
        QFETCH(QList<int>, modes);
        QFETCH(int, expected);
        QSignalSpy spy(ClipboardWrap::instance(), &ClipboardWrap::changed);
        for (int mode : modes)
            fake->simulateCopy(QStringLiteral("text"), QClipboard::Mode(mode));
        // Never from inside the platform's call: only the event loop emits.
        QCOMPARE(spy.count(), 0);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(int(spy.at(0).at(0).value<QClipboard::Mode>()), expected);
        settle();
        QCOMPARE(spy.count(), 1);
    }

    void queuedNotificationsOfOnePassAreMergedToo()
    {
        QSignalSpy spy(ClipboardWrap::instance(), &ClipboardWrap::changed);
        fake->simulateCopy(QStringLiteral("a"), QClipboard::Selection, Report::Queued);
        fake->simulateCopy(QStringLiteral("b"), QClipboard::Clipboard, Report::Queued);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<QClipboard::Mode>(), QClipboard::Clipboard);
        settle();
        QCOMPARE(spy.count(), 1);
    }

    void aNotificationWhileTheTimerIsPendingRestartsIt()
    {
        QSignalSpy spy(ClipboardWrap::instance(), &ClipboardWrap::changed);
        fake->notify(QClipboard::Clipboard);
        // Posted events are delivered, timers are not: the wrapper's timer is still pending.
        QCoreApplication::sendPostedEvents();
        QCOMPARE(spy.count(), 0);
        fake->notify(QClipboard::Selection);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<QClipboard::Mode>(), QClipboard::Selection);
        settle();
        QCOMPARE(spy.count(), 1);

        // Once emitted, the next notification starts a new round.
        fake->notify(QClipboard::FindBuffer);
        QTRY_COMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).value<QClipboard::Mode>(), QClipboard::FindBuffer);
    }

    void notificationsInsideTheWrapperWriteAreDropped_data()
    {
        QTest::addColumn<int>("times");
        QTest::newRow("once") << 1;
        QTest::newRow("three times in one call") << 3;
    }

    void notificationsInsideTheWrapperWriteAreDropped()
    {
        QFETCH(int, times);
        fake->setWriteReport(Report::Synchronous, times);
        QSignalSpy spy(ClipboardWrap::instance(), &ClipboardWrap::changed);
        QSignalSpy platform(fake, &KSystemClipboard::changed);

        auto mime = new QMimeData;
        mime->setText(QStringLiteral("ours"));
        ClipboardWrap::instance()->setMimeData(mime, QClipboard::Selection);
        QCOMPARE(platform.count(), times);
        QCOMPARE(fake->writes().size(), 1);
        QCOMPARE(fake->writes().at(0).mode, QClipboard::Selection);
        QCOMPARE(fake->mimeData(QClipboard::Selection), mime); // handed over, not copied
        settle();
        QCOMPARE(spy.count(), 0);

        // The mute ends with the write: the next change elsewhere is reported.
        fake->simulateCopy(QStringLiteral("theirs"));
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<QClipboard::Mode>(), QClipboard::Clipboard);
    }

    void aLaterNotificationOfTheWrapperWriteIsPassedOn()
    {
        // As on platforms that report a write with a round trip: the report comes as its own event.
        fake->setWriteReport(Report::Queued, 2);
        QSignalSpy spy(ClipboardWrap::instance(), &ClipboardWrap::changed);
        auto mime = new QMimeData;
        mime->setText(QStringLiteral("ours"));
        ClipboardWrap::instance()->setMimeData(mime, QClipboard::Clipboard);
        QCOMPARE(spy.count(), 0);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<QClipboard::Mode>(), QClipboard::Clipboard);
        settle();
        QCOMPARE(spy.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestClipboardWrap)
#include "tst_clipboardwrap.moc"

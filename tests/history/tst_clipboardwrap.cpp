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

    void notificationsOfOnePassGiveOneSignalPerMode_data()
    {
        QTest::addColumn<QList<int>>("modes");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("three clipboard changes")
            << QList<int>{QClipboard::Clipboard, QClipboard::Clipboard, QClipboard::Clipboard}
            << QList<int>{QClipboard::Clipboard};
        // A terminal that sets the clipboard and the selection on one copy: neither may be lost.
        QTest::newRow("clipboard then selection") << QList<int>{QClipboard::Clipboard, QClipboard::Selection}
                                                  << QList<int>{QClipboard::Clipboard, QClipboard::Selection};
        QTest::newRow("in the order of the first change")
            << QList<int>{QClipboard::Selection, QClipboard::FindBuffer, QClipboard::Clipboard,
                          QClipboard::Selection, QClipboard::FindBuffer}
            << QList<int>{QClipboard::Selection, QClipboard::FindBuffer, QClipboard::Clipboard};
    }

    void notificationsOfOnePassGiveOneSignalPerMode()
    {
        QFETCH(QList<int>, modes);
        QFETCH(QList<int>, expected);
        QSignalSpy spy(ClipboardWrap::instance(), &ClipboardWrap::changed);
        for (int mode : modes)
            fake->simulateCopy(QStringLiteral("text"), QClipboard::Mode(mode));
        // Never from inside the platform's call: only the event loop emits.
        QCOMPARE(spy.count(), 0);
        QTRY_COMPARE(spy.count(), expected.size());
        settle();
        QList<int> emitted;
        for (const QList<QVariant> &arguments : std::as_const(spy))
            emitted.append(int(arguments.at(0).value<QClipboard::Mode>()));
        QCOMPARE(emitted, expected);
    }

    void queuedNotificationsOfOnePassAreMergedToo()
    {
        QSignalSpy spy(ClipboardWrap::instance(), &ClipboardWrap::changed);
        fake->simulateCopy(QStringLiteral("a"), QClipboard::Selection, Report::Queued);
        fake->simulateCopy(QStringLiteral("b"), QClipboard::Clipboard, Report::Queued);
        fake->simulateCopy(QStringLiteral("c"), QClipboard::Selection, Report::Queued);
        QTRY_COMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).value<QClipboard::Mode>(), QClipboard::Selection);
        QCOMPARE(spy.at(1).at(0).value<QClipboard::Mode>(), QClipboard::Clipboard);
        settle();
        QCOMPARE(spy.count(), 2);
    }

    void aNotificationWhileTheTimerIsPendingRestartsIt()
    {
        QSignalSpy spy(ClipboardWrap::instance(), &ClipboardWrap::changed);
        fake->notify(QClipboard::Clipboard);
        // Posted events are delivered, timers are not: the wrapper's timer is still pending.
        QCoreApplication::sendPostedEvents();
        QCOMPARE(spy.count(), 0);
        fake->notify(QClipboard::Clipboard);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<QClipboard::Mode>(), QClipboard::Clipboard);
        settle();
        QCOMPARE(spy.count(), 1);

        // Once emitted, the next notification starts a new round.
        fake->notify(QClipboard::FindBuffer);
        QTRY_COMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).value<QClipboard::Mode>(), QClipboard::FindBuffer);
    }

    void aWriteFromAReceiverIsNotLostNorRepeated()
    {
        // The model copies a capture to the other clipboard from inside its slot; a platform that
        // reports that write as an event of its own gets it reported in the next round, once.
        fake->setWriteReport(Report::Queued);
        QSignalSpy spy(ClipboardWrap::instance(), &ClipboardWrap::changed);
        const QMetaObject::Connection copyAcross =
            connect(ClipboardWrap::instance(), &ClipboardWrap::changed, this, [](QClipboard::Mode mode) {
                if (mode == QClipboard::Clipboard)
                    ClipboardWrap::instance()->setMimeData(new QMimeData, QClipboard::Selection);
            });
        fake->simulateCopy(QStringLiteral("copied"), QClipboard::Clipboard);
        fake->simulateCopy(QStringLiteral("selected"), QClipboard::Selection);
        QTRY_COMPARE(spy.count(), 3);
        disconnect(copyAcross);
        settle();
        QCOMPARE(spy.count(), 3);
        QCOMPARE(spy.at(0).at(0).value<QClipboard::Mode>(), QClipboard::Clipboard);
        QCOMPARE(spy.at(1).at(0).value<QClipboard::Mode>(), QClipboard::Selection);
        QCOMPARE(spy.at(2).at(0).value<QClipboard::Mode>(), QClipboard::Selection);
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

    // With a backend that shares its offers, every offer of a pass is seen, oldest first, each
    // readable while its signal is emitted; an emptied clipboard that has a new owner already is
    // not reported as empty.
    void everyOfferOfOnePassIsSeen_data()
    {
        QTest::addColumn<QStringList>("offers"); // in the order they come; "" an owner that exits
        QTest::addColumn<QStringList>("seen");   // what mimeData() answers at each signal
        QTest::newRow("two copies") << QStringList{QStringLiteral("A"), QStringLiteral("B")}
                                    << QStringList{QStringLiteral("A"), QStringLiteral("B")};
        QTest::newRow("three copies")
            << QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}
            << QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
        QTest::newRow("emptied, then copied")
            << QStringList{QString(), QStringLiteral("B")} << QStringList{QStringLiteral("B")};
        QTest::newRow("copied, then emptied")
            << QStringList{QStringLiteral("A"), QString()} << QStringList{QStringLiteral("A"), QString()};
    }

    void everyOfferOfOnePassIsSeen()
    {
        QFETCH(QStringList, offers);
        QFETCH(QStringList, seen);
        fake->setSharesOffers(true);
        QStringList answered;
        const QMetaObject::Connection reader = connect(
            ClipboardWrap::instance(), &ClipboardWrap::changed, this, [&answered](QClipboard::Mode mode) {
                const QMimeData *mime = ClipboardWrap::instance()->mimeData(mode);
                answered.append(mime && mime->hasText() ? mime->text() : QString());
            });
        for (const QString &offer : std::as_const(offers)) {
            if (offer.isEmpty())
                fake->simulateOwnerExit(QClipboard::Clipboard, Report::Synchronous);
            else
                fake->simulateCopy(offer, QClipboard::Clipboard, Report::Synchronous);
            // The same offer reported again in the pass is one signal.
            fake->notify(QClipboard::Clipboard);
        }
        settle();
        disconnect(reader);
        QCOMPARE(answered, seen);
        // Once delivered, the wrapper answers the platform's offer again.
        QCOMPARE(ClipboardWrap::instance()->mimeData(QClipboard::Clipboard),
                 fake->mimeData(QClipboard::Clipboard));
    }

    void aWriteWhileAnOlderOfferIsDeliveredIsAnsweredAsOurs()
    {
        fake->setSharesOffers(true);
        const QMimeData *answeredAfterWrite = nullptr;
        auto *ours = new QMimeData;
        const QMetaObject::Connection writer =
            connect(ClipboardWrap::instance(), &ClipboardWrap::changed, this, [&](QClipboard::Mode mode) {
                if (answeredAfterWrite)
                    return;
                ClipboardWrap::instance()->setMimeData(ours, mode);
                answeredAfterWrite = ClipboardWrap::instance()->mimeData(mode);
            });
        fake->simulateCopy(QStringLiteral("A"));
        fake->simulateCopy(QStringLiteral("B"));
        settle();
        disconnect(writer);
        QCOMPARE(answeredAfterWrite, ours);
    }
};

QTEST_GUILESS_MAIN(TestClipboardWrap)
#include "tst_clipboardwrap.moc"

// SPDX-License-Identifier: GPL-2.0-or-later

#include "clipboardwrap.h"
#include "item.h"
#include "ksystemclipboard_fake.h"
#include "model.h"
#include "modelrows.h"
#include "modelsignalrecorder.h"
#include "testenvironment.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

using Morv::ClipboardWrap;
using Morv::Item;
using Morv::Model;
using Morv::Preferences;
using Report = FakeSystemClipboard::Report;

// A paused history with the fake clipboard: the backend is told to read nothing, no copy and no
// emptied clipboard reaches the model, and choosing rows still works.
class TestHistoryPause : public QObject
{
    Q_OBJECT

    FakeSystemClipboard *fake = nullptr;
    std::unique_ptr<Model> model;
    ModelSignalRecorder *recorder = nullptr;

    static ClipboardWrap *wrap() { return ClipboardWrap::instance(); }

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

    static void setHistory(const QStringList &texts)
    {
        QList<Item> items;
        for (const QString &text : texts)
            items.append(Item(QClipboard::Clipboard, Morv::PlainText,
                              {{QStringLiteral("text/plain"), text.toUtf8()}}));
        Preferences::instance()->saveHistory(items);
    }

    static QStringList storedHistory()
    {
        Preferences::instance()->waitForBackgroundSave();
        QStringList texts;
        for (const Item &item : Preferences::instance()->loadHistory())
            texts.append(item.text());
        return texts;
    }

    void makeModel()
    {
        model = std::make_unique<Model>();
        new QAbstractItemModelTester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     model.get());
        recorder = new ModelSignalRecorder(model.get());
    }

    QStringList rows() const { return ModelRows::displayTexts(*model); }

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment::setUp();
        fake = FakeSystemClipboard::install();
    }

    void init()
    {
        fake->reset();
        TestEnvironment::clearSettings();
        Preferences::instance()->setValue(QStringLiteral("platformExtensions"), true);
        setHistory({"h1", "h2"});
        makeModel();
    }

    void cleanup()
    {
        wrap()->setPaused(false);
        model.reset();
        settle();
    }

    void theStateIsTheWrappersAndTheBackendsSwitchFollows()
    {
        QSignalSpy changes(wrap(), &ClipboardWrap::pausedChanged);
        QVERIFY(!wrap()->isPaused());
        QVERIFY(!fake->isReadingPaused());

        wrap()->setPaused(true);
        wrap()->setPaused(true);
        QVERIFY(wrap()->isPaused());
        QVERIFY(fake->isReadingPaused());
        wrap()->setPaused(false);
        QVERIFY(!fake->isReadingPaused());
        QCOMPARE(changes.count(), 2);
        QCOMPARE(changes.at(0).at(0).toBool(), true);
        QCOMPARE(changes.at(1).at(0).toBool(), false);
    }

    void nothingIsTakenStoredOrRestoredWhilePaused()
    {
        QSignalSpy changed(wrap(), &ClipboardWrap::changed);
        wrap()->setPaused(true);
        fake->simulateCopy(QStringLiteral("password"));
        fake->simulateCopy(QStringLiteral("selected"), QClipboard::Selection);
        fake->simulateCopy(QStringLiteral("late"), QClipboard::Clipboard, Report::Queued);
        settle();
        fake->simulateOwnerExit();
        settle();
        QCOMPARE(changed.count(), 0);
        QCOMPARE(recorder->take(), QStringList());
        QCOMPARE(rows(), (QStringList{"h1", "h2"}));
        QVERIFY(fake->writes().isEmpty()); // the emptied clipboard stays empty
        QCOMPARE(storedHistory(), (QStringList{"h1", "h2"}));

        // Choosing still puts the row on the clipboard and moves it up.
        model->indexTriggered(model->index(1));
        QCOMPARE(fake->writes().size(), 1);
        QCOMPARE(fake->content(QClipboard::Clipboard).value(QStringLiteral("text/plain")), QByteArray("h2"));
        QCOMPARE(rows(), (QStringList{"h2", "h1"}));
        QCOMPARE(storedHistory(), (QStringList{"h2", "h1"}));

        // Resumed, the next copy is taken again.
        wrap()->setPaused(false);
        fake->simulateCopy(QStringLiteral("after"));
        QTRY_COMPARE(rows(), (QStringList{"after", "h2", "h1"}));
        QVERIFY(!storedHistory().contains(QStringLiteral("password")));
    }

    // A copy reported in the pass in which the user pauses, before the wrapper emitted it, is
    // not taken either.
    void aChangeNotYetEmittedIsDropped()
    {
        fake->simulateCopy(QStringLiteral("just before"));
        wrap()->setPaused(true);
        settle();
        QCOMPARE(rows(), (QStringList{"h1", "h2"}));
        QCOMPARE(recorder->take(), QStringList());
    }
};

QTEST_MAIN(TestHistoryPause)
#include "tst_historypause.moc"

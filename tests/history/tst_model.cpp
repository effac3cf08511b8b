// SPDX-License-Identifier: GPL-2.0-or-later

#include "clipboardwrap.h"
#include "contentfilestore.h"
#include "item.h"
#include "itemmimedata.h"
#include "ksystemclipboard_fake.h"
#include "model.h"
#include "modelsignalrecorder.h"
#include "noise.h"
#include "readaheadjobs.h"
#include "testenvironment.h"

#include "modelrows.h"
#include <QAbstractItemModelTester>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFont>
#include <QLockFile>
#include <QMimeData>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStringListModel>
#include <QTest>
#include <QTimer>

#include <memory>

using Morv::ClipboardWrap;
using Morv::Item;
using Morv::Model;
using Morv::Preferences;
using Report = FakeSystemClipboard::Report;

namespace {
const QString welcome = QStringLiteral("Welcome to the morv-clip clipboard history applet");

Preferences *preferences()
{
    return Preferences::instance();
}

QList<Item> plainItems(const QStringList &texts)
{
    QList<Item> items;
    for (const QString &text : texts)
        items.append(
            Item(QClipboard::Clipboard, Morv::PlainText, {{QStringLiteral("text/plain"), text.toUtf8()}}));
    return items;
}

QStringList texts(const QList<Item> &items)
{
    QStringList result;
    for (const Item &item : items)
        result.append(item.text());
    return result;
}

Morv::ClipboardContent plain(const QByteArray &text)
{
    return {{QStringLiteral("text/plain"), text}};
}

QMimeData *picture(const QByteArray &png)
{
    return FakeSystemClipboard::mimeData({{QStringLiteral("image/png"), png}});
}

QString sha(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QStringList contentFiles()
{
    return QDir(Morv::ContentFileStore::folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}
} // namespace

// The history model against the fake clipboard: which rows it announces with which calls, what it
// puts on which clipboard and when it stores the history.
class TestModel : public QObject
{
    Q_OBJECT

    FakeSystemClipboard *fake = nullptr;
    std::unique_ptr<Model> model;
    ModelSignalRecorder *recorder = nullptr;

    void makeModel()
    {
        model = std::make_unique<Model>();
        new QAbstractItemModelTester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     model.get());
        recorder = new ModelSignalRecorder(model.get());
    }

    // Another program puts something on a clipboard; returns once the model has seen it (and
    // maybe the reports of what the model wrote in turn).
    void copy(QMimeData *mime, QClipboard::Mode mode = QClipboard::Clipboard)
    {
        QSignalSpy spy(ClipboardWrap::instance(), &ClipboardWrap::changed);
        fake->simulateCopy(mime, mode);
        QTRY_VERIFY(spy.count() >= 1);
    }

    void copy(const QString &text, QClipboard::Mode mode = QClipboard::Clipboard)
    {
        copy(FakeSystemClipboard::mimeData({{QStringLiteral("text/plain"), text.toUtf8()}}), mode);
    }

    void ownerExits(QClipboard::Mode mode = QClipboard::Clipboard)
    {
        QSignalSpy spy(ClipboardWrap::instance(), &ClipboardWrap::changed);
        fake->simulateOwnerExit(mode);
        QTRY_VERIFY(spy.count() >= 1);
    }

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

    QStringList rows() const { return ModelRows::displayTexts(*model); }

    QString toolTip(int row) const { return model->data(model->index(row), Qt::ToolTipRole).toString(); }

    // The row shown in bold, -1 for none, -2 when several are.
    int currentRow() const { return ModelRows::boldRow(*model); }

    QList<std::pair<int, Morv::ClipboardContent>> writes() const
    {
        QList<std::pair<int, Morv::ClipboardContent>> result;
        for (const FakeSystemClipboard::Write &write : fake->writes())
            result.append({int(write.mode), write.content});
        return result;
    }

    static void setSticky(const QStringList &texts)
    {
        QList<Item> items;
        for (const QString &text : texts)
            items.append(Item(text));
        preferences()->saveSticky(items);
    }

    static void setHistory(const QStringList &texts) { preferences()->saveHistory(plainItems(texts)); }

    static void set(const QString &key, const QVariant &value) { preferences()->setValue(key, value); }

    // Whether the history was stored since forgetStoredHistory(). Saves are written in the
    // background; sync() reads the file again when it has changed.
    static bool historyStored()
    {
        preferences()->waitForBackgroundSave();
        preferences()->sync();
        return preferences()->contains(QStringLiteral("dynamic/items/size"));
    }
    static void forgetStoredHistory()
    {
        // QSettings removes the keys it knows of: it must have read the file as it is now.
        preferences()->waitForBackgroundSave();
        preferences()->sync();
        preferences()->remove(QStringLiteral("dynamic"));
        preferences()->sync();
    }
    static QByteArray fileContents()
    {
        QFile file(TestEnvironment::settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static QStringList storedHistory() { return texts(preferences()->loadHistory()); }

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
        preferences()->waitForBackgroundSave();
        QDir(Morv::ContentFileStore::folder()).removeRecursively();
        set(QStringLiteral("displaySize"), 200);
    }

    void cleanup()
    {
        model.reset();
        settle();
    }

    void theSelectionIsReadOnlyWithPlatformExtensions()
    {
        set(QStringLiteral("platformExtensions"), true);
        makeModel();
        QVERIFY(fake->watchesSelection());
        // As after the preferences dialog.
        set(QStringLiteral("platformExtensions"), false);
        model->watchSelectionAsPreferred();
        QVERIFY(!fake->watchesSelection());
    }

    void copiesOfOnePassAreAllTaken()
    {
        // The GUI thread was busy while two programs copied: both copies are history items.
        fake->setSharesOffers(true);
        makeModel();
        // As the backends do: each offer is announced the moment it replaces the previous one.
        fake->simulateCopy(QStringLiteral("first"), QClipboard::Clipboard, Report::Synchronous);
        fake->simulateCopy(QStringLiteral("second"), QClipboard::Clipboard, Report::Synchronous);
        settle();
        QCOMPARE(rows().mid(0, 2), (QStringList{QStringLiteral("second"), QStringLiteral("first")}));
        QCOMPARE(currentRow(), 0);
    }

    void firstStartWithAnEmptyClipboard_data()
    {
        QTest::addColumn<int>("offer");
        QTest::newRow("no offer") << 0;
        QTest::newRow("offer without formats") << 1;
        QTest::newRow("secret offer") << 2;
    }

    void firstStartWithAnEmptyClipboard()
    {
        QFETCH(int, offer);
        if (offer == 1)
            fake->simulateOwnerExit(QClipboard::Clipboard, Report::Silent);
        if (offer == 2)
            fake->simulateCopy(FakeSystemClipboard::mimeData(
                                   {{"text/plain", "hunter2"}, {"x-kde-passwordManagerHint", "secret"}}),
                               QClipboard::Clipboard, Report::Silent);
        makeModel();
        QCOMPARE(rows(), QStringList{welcome});
        QCOMPARE(currentRow(), 0);
        QCOMPARE(toolTip(0), QStringLiteral("Clipboard: Plain Text"));
        QVERIFY(fake->writes().isEmpty()); // the welcome text is not put on the clipboard
        QVERIFY(!historyStored());
        model.reset();
        QCOMPARE(storedHistory(), QStringList{welcome});
    }

    void firstStartWithTextOnTheClipboard_data()
    {
        QTest::addColumn<bool>("synchronizeHistory");
        QTest::addColumn<bool>("notificationPending");
        QTest::newRow("stored at once") << true << false;
        QTest::newRow("not stored") << false << false;
        QTest::newRow("with a notification pending") << true << true;
    }

    void firstStartWithTextOnTheClipboard()
    {
        QFETCH(bool, synchronizeHistory);
        QFETCH(bool, notificationPending);
        set(QStringLiteral("synchronizeHistory"), synchronizeHistory);
        fake->simulateCopy(QStringLiteral("on the clipboard"), QClipboard::Clipboard,
                           notificationPending ? Report::Synchronous : Report::Silent);
        makeModel();
        QCOMPARE(rows(), QStringList{QStringLiteral("on the clipboard")});
        QCOMPARE(currentRow(), 0);
        QCOMPARE(historyStored(), synchronizeHistory);

        // The notification of the same change, delivered after the start, finds a duplicate.
        settle();
        QCOMPARE(recorder->take(), QStringList());
        QCOMPARE(rows(), QStringList{QStringLiteral("on the clipboard")});
    }

    void aStoredHistoryIsTakenAsItIs()
    {
        set(QStringLiteral("historyCount"), 3);
        setHistory({"a", "b", "a", "c", "d"});
        fake->simulateCopy(QStringLiteral("on the clipboard"), QClipboard::Clipboard, Report::Silent);
        makeModel();
        // Neither trimmed to the limit nor freed of duplicates, and no start-up capture.
        QCOMPARE(rows(), (QStringList{"a", "b", "a", "c", "d"}));
        QCOMPARE(currentRow(), -1);

        copy(QStringLiteral("b")); // a duplicate: moved, the limit is not applied
        QCOMPARE(recorder->take(), QStringList{"move 1 1 to 0"});
        QCOMPARE(rows(), (QStringList{"b", "a", "a", "c", "d"}));

        copy(QStringLiteral("new"));
        QCOMPARE(recorder->take(), (QStringList{"insert 0 0", "remove 3 5"}));
        QCOMPARE(rows(), (QStringList{"new", "b", "a"}));
    }

    void stickyItemsWithoutHistory()
    {
        setSticky({"s1", "s2"});
        fake->simulateCopy(QStringLiteral("on the clipboard"), QClipboard::Clipboard, Report::Silent);
        makeModel();
        QCOMPARE(rows(), (QStringList{"s1", "s2"}));
        QCOMPARE(currentRow(), -1);
        QCOMPARE(toolTip(1), QStringLiteral("Clipboard: Sticky Item (Plain Text)"));

        copy(QStringLiteral("x"));
        QCOMPARE(recorder->take(), QStringList{"insert 2 2"});
        QCOMPARE(rows(), (QStringList{"s1", "s2", "x"}));
        QCOMPARE(currentRow(), 2);
    }

    void copyingTheSameTextTwice()
    {
        setHistory({"old"});
        makeModel();
        copy(QStringLiteral("A"));
        QCOMPARE(recorder->take(), QStringList{"insert 0 0"});
        QCOMPARE(currentRow(), 0);

        forgetStoredHistory();
        copy(QStringLiteral("A"));
        QCOMPARE(recorder->take(), QStringList());
        QCOMPARE(rows(), (QStringList{"A", "old"}));
        QCOMPARE(currentRow(), 0);
        QVERIFY(historyStored());
    }

    void aDuplicateIsMovedWithOneNotification()
    {
        setSticky({"s1", "s2"});
        setHistory({"old"});
        makeModel();
        copy(QStringLiteral("A"));
        copy(QStringLiteral("B"));
        QCOMPARE(recorder->take(), (QStringList{"insert 2 2", "insert 2 2"}));

        copy(QStringLiteral("A"));
        QCOMPARE(recorder->take(), QStringList{"move 3 3 to 2"});
        QCOMPARE(rows(), (QStringList{"s1", "s2", "A", "B", "old"}));
        QCOMPARE(currentRow(), 2);
        QCOMPARE(storedHistory(), (QStringList{"A", "B", "old"}));

        copy(QStringLiteral("old"));
        QCOMPARE(recorder->take(), QStringList{"move 4 4 to 2"});
        QCOMPARE(rows(), (QStringList{"s1", "s2", "old", "A", "B"}));
    }

    void theHistoryIsTrimmedAtTheLimit()
    {
        setSticky({"s"});
        makeModel();
        for (int i = 0; i < 10; ++i)
            copy(QStringLiteral("copy %1").arg(i));
        QCOMPARE(model->rowCount(), 11);
        recorder->take();

        copy(QStringLiteral("copy 10"));
        QCOMPARE(recorder->take(), (QStringList{"insert 1 1", "remove 11 11"}));
        QCOMPARE(model->rowCount(), 11);
        QCOMPARE(rows().at(1), QStringLiteral("copy 10"));
        QCOMPARE(rows().last(), QStringLiteral("copy 1"));
        QCOMPARE(storedHistory().size(), 10);

        // A lowered limit takes effect with the next new copy, in one removal.
        set(QStringLiteral("historyCount"), 5);
        copy(QStringLiteral("copy 3")); // a duplicate moves and trims nothing
        QCOMPARE(recorder->take(), QStringList{"move 8 8 to 1"});
        QCOMPARE(model->rowCount(), 11);
        copy(QStringLiteral("copy 11"));
        QCOMPARE(recorder->take(), (QStringList{"insert 1 1", "remove 6 11"}));
        QCOMPARE(rows(), (QStringList{"s", "copy 11", "copy 3", "copy 10", "copy 9", "copy 8"}));
        QCOMPARE(currentRow(), 1);
    }

    void smallLimits_data()
    {
        QTest::addColumn<QVariant>("historyCount");
        QTest::addColumn<bool>("cuts");
        QTest::newRow("1") << QVariant(1) << true;
        // Below 1 only from a hand-edited file: it acts as the default, and cuts nothing of the
        // history.
        QTest::newRow("0") << QVariant(0) << false;
        QTest::newRow("negative") << QVariant(-3) << false;
        QTest::newRow("not a number") << QVariant(QStringLiteral("many")) << false;
    }

    void smallLimits()
    {
        QFETCH(QVariant, historyCount);
        QFETCH(bool, cuts);
        set(QStringLiteral("historyCount"), historyCount);
        if (!cuts)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                                   "\"historyCount\" is .*: not a count of 1 or more; the "
                                                   "history keeps 10 items")));
        makeModel();
        QCOMPARE(rows(), QStringList{welcome});

        const QStringList inserted =
            cuts ? QStringList{"insert 0 0", "remove 1 1"} : QStringList{"insert 0 0"};
        copy(QStringLiteral("A"));
        QCOMPARE(recorder->take(), inserted);
        QCOMPARE(rows(), cuts ? QStringList{"A"} : (QStringList{"A", welcome}));
        copy(QStringLiteral("B"));
        QCOMPARE(recorder->take(), inserted);
        const QStringList kept = cuts ? QStringList{"B"} : (QStringList{"B", "A", welcome});
        QCOMPARE(rows(), kept);
        QCOMPARE(currentRow(), 0);
        QCOMPARE(storedHistory(), kept);
        copy(QStringLiteral("B"));
        QCOMPARE(recorder->take(), QStringList());
    }

    void aCopyOfAStickyTextMakesItsRowCurrent()
    {
        setSticky({"s1", "snippet"});
        setHistory({"h"});
        makeModel();
        forgetStoredHistory();

        copy(QStringLiteral("snippet"));
        QCOMPARE(recorder->take(), QStringList());
        QCOMPARE(rows(), (QStringList{"s1", "snippet", "h"}));
        QCOMPARE(currentRow(), 1);
        QVERIFY(!historyStored());

        // A program that offers more than the text gives another content: a new history item.
        copy(FakeSystemClipboard::mimeData({{"text/plain", "snippet"}, {"text/html", "<b>snippet</b>"}}));
        QCOMPARE(recorder->take(), QStringList{"insert 2 2"});
        QCOMPARE(currentRow(), 2);
        QCOMPARE(toolTip(2), QStringLiteral("Clipboard: Rich Text"));
    }

    void withoutPlatformExtensionsOnlyTheClipboardCounts_data()
    {
        QTest::addColumn<int>("synchronizePSE");
        QTest::newRow("no synchronisation") << 0;
        QTest::newRow("on select") << 1;
        QTest::newRow("instantly") << 2;
    }

    void withoutPlatformExtensionsOnlyTheClipboardCounts()
    {
        QFETCH(int, synchronizePSE);
        set(QStringLiteral("synchronizePSE"), synchronizePSE);
        setHistory({"h"});
        makeModel();
        copy(QStringLiteral("selected"), QClipboard::Selection);
        copy(QStringLiteral("found"), QClipboard::FindBuffer);
        ownerExits(QClipboard::Selection);
        QCOMPARE(recorder->take(), QStringList());
        QCOMPARE(rows(), QStringList{"h"});
        QVERIFY(fake->writes().isEmpty());

        copy(QStringLiteral("copied"));
        QCOMPARE(rows(), (QStringList{"copied", "h"}));
        QVERIFY(fake->writes().isEmpty()); // no instant synchronisation without the extensions
    }

    void selectionSynchronisation_data()
    {
        QTest::addColumn<int>("synchronizePSE");
        QTest::addColumn<bool>("duplicate");
        QTest::newRow("no synchronisation") << 0 << false;
        QTest::newRow("on select") << 1 << true;
        QTest::newRow("instantly") << 2 << true;
    }

    void selectionSynchronisation()
    {
        QFETCH(int, synchronizePSE);
        QFETCH(bool, duplicate);
        set(QStringLiteral("platformExtensions"), true);
        set(QStringLiteral("synchronizePSE"), synchronizePSE);
        setHistory({"h"});
        makeModel();
        copy(QStringLiteral("same"));
        copy(QStringLiteral("other"));
        recorder->take();

        copy(QStringLiteral("same"), QClipboard::Selection);
        if (duplicate) {
            QCOMPARE(recorder->take(), QStringList{"move 1 1 to 0"});
            QCOMPARE(rows(), (QStringList{"same", "other", "h"}));
            QCOMPARE(toolTip(0), QStringLiteral("Clipboard: Plain Text")); // keeps its first mode
        } else {
            QCOMPARE(recorder->take(), QStringList{"insert 0 0"});
            QCOMPARE(rows(), (QStringList{"same", "other", "same", "h"}));
            QCOMPARE(toolTip(0), QStringLiteral("Selection: Plain Text"));
            QCOMPARE(toolTip(2), QStringLiteral("Clipboard: Plain Text"));
        }
        QCOMPARE(currentRow(), 0);

        copy(QStringLiteral("found"), QClipboard::FindBuffer);
        QCOMPARE(toolTip(0), QStringLiteral("Find Buffer: Plain Text"));
    }

    void instantSynchronisation_data()
    {
        QTest::addColumn<int>("synchronizePSE");
        QTest::newRow("instantly") << 2;
        QTest::newRow("on select") << 1;
    }

    void instantSynchronisation()
    {
        QFETCH(int, synchronizePSE);
        const bool instantly = synchronizePSE == 2;
        set(QStringLiteral("platformExtensions"), true);
        set(QStringLiteral("synchronizePSE"), synchronizePSE);
        setSticky({"sticky"});
        setHistory({"h"});
        makeModel();

        copy(QStringLiteral("c"));
        copy(QStringLiteral("s"), QClipboard::Selection);
        copy(QStringLiteral("f"), QClipboard::FindBuffer);
        copy(QStringLiteral("sticky"));
        using W = QList<std::pair<int, Morv::ClipboardContent>>;
        if (instantly) {
            const W expected{{QClipboard::Selection, plain("c")},
                             {QClipboard::Clipboard, plain("s")},
                             {QClipboard::Clipboard, plain("f")},
                             {QClipboard::Selection, plain("sticky")}};
            QCOMPARE(writes(), expected);
        } else {
            QCOMPARE(writes(), W());
        }

        // Duplicates are copied across too, unless the other clipboard holds the content already.
        fake->clearWrites();
        copy(QStringLiteral("c"));
        QCOMPARE(writes(), instantly ? (W{{QClipboard::Selection, plain("c")}}) : W());
        fake->clearWrites();
        fake->simulateCopy(QStringLiteral("c"), QClipboard::Selection, Report::Silent);
        copy(QStringLiteral("c"));
        QCOMPARE(writes(), W());
        QCOMPARE(rows(), (QStringList{"sticky", "c", "f", "s", "h"}));
    }

    void instantSynchronisationEndsWhenWritesAreReportedLate()
    {
        // Platforms that report the program's own writes as later events must not make the two
        // clipboards copy to each other for ever.
        set(QStringLiteral("platformExtensions"), true);
        set(QStringLiteral("synchronizePSE"), 2);
        setHistory({"h"});
        makeModel();
        fake->setWriteReport(Report::Queued);
        copy(QStringLiteral("ping"));
        settle();
        settle();
        QCOMPARE(fake->writes().size(), 1);
        QCOMPARE(fake->content(QClipboard::Selection), plain("ping"));
        QCOMPARE(rows(), (QStringList{"ping", "h"}));
        QCOMPARE(recorder->take(), QStringList{"insert 0 0"});
    }

    void anEmptiedClipboardIsRestored()
    {
        set(QStringLiteral("platformExtensions"), true);
        makeModel();
        copy(QStringLiteral("A"));
        copy(QStringLiteral("B"), QClipboard::Selection);
        copy(QStringLiteral("C"));
        copy(QStringLiteral("D"), QClipboard::Selection);
        QCOMPARE(rows(), (QStringList{"D", "C", "B", "A", welcome}));
        recorder->take();
        forgetStoredHistory();

        ownerExits(QClipboard::Clipboard);
        using W = QList<std::pair<int, Morv::ClipboardContent>>;
        QCOMPARE(writes(), (W{{QClipboard::Clipboard, plain("C")}}));
        QCOMPARE(fake->content(QClipboard::Clipboard), plain("C"));
        QCOMPARE(currentRow(), 1);
        QCOMPARE(recorder->take(), QStringList()); // no reordering
        QVERIFY(!historyStored());

        fake->clearWrites();
        ownerExits(QClipboard::Selection);
        QCOMPARE(writes(), (W{{QClipboard::Selection, plain("D")}}));
        QCOMPARE(currentRow(), 0);

        // Nothing came from the find buffer: nothing to restore.
        fake->clearWrites();
        ownerExits(QClipboard::FindBuffer);
        QVERIFY(fake->writes().isEmpty());
        QCOMPARE(currentRow(), 0);
        QCOMPARE(recorder->take(), QStringList());
        QVERIFY(!historyStored());
    }

    void secretsAreNeverTaken()
    {
        set(QStringLiteral("platformExtensions"), true);
        set(QStringLiteral("synchronizePSE"), 2);
        setHistory({"h"});
        makeModel();
        copy(QStringLiteral("A"));
        recorder->take();
        forgetStoredHistory();
        fake->clearWrites();

        const QList<std::pair<QString, QByteArray>> secret{{"text/plain", "hunter2"},
                                                           {"x-kde-passwordManagerHint", "secret"}};
        copy(FakeSystemClipboard::mimeData(secret));
        copy(FakeSystemClipboard::mimeData(secret), QClipboard::Selection);
        QCOMPARE(recorder->take(), QStringList());
        QCOMPARE(rows(), (QStringList{"A", "h"}));
        QVERIFY(fake->writes().isEmpty()); // not copied to the other clipboard
        QVERIFY(!historyStored());

        // The password manager withdraws its offer: the newest item of the clipboard comes back.
        ownerExits(QClipboard::Clipboard);
        using W = QList<std::pair<int, Morv::ClipboardContent>>;
        QCOMPARE(writes(), (W{{QClipboard::Clipboard, plain("A")}}));
        QCOMPARE(currentRow(), 0);
        model.reset();
        QVERIFY(!storedHistory().contains(QStringLiteral("hunter2")));

        // Any other hint is an ordinary offer.
        makeModel();
        copy(FakeSystemClipboard::mimeData(
            {{"text/plain", "public"}, {"x-kde-passwordManagerHint", "public"}}));
        QCOMPARE(rows().first(), QStringLiteral("public"));
    }

    void choosingAStickyRow()
    {
        setSticky({"s1", "s2"});
        setHistory({"h1", "h2"});
        makeModel();
        forgetStoredHistory();
        model->indexTriggered(model->index(1));
        using W = QList<std::pair<int, Morv::ClipboardContent>>;
        QCOMPARE(writes(), (W{{QClipboard::Clipboard, plain("s2")}}));
        QCOMPARE(currentRow(), 1);
        QCOMPARE(recorder->take(), QStringList());
        QVERIFY(!historyStored());
    }

    void choosingAHistoryRow_data()
    {
        QTest::addColumn<bool>("platformExtensions");
        QTest::addColumn<int>("synchronizePSE");
        QTest::addColumn<QList<int>>("written");
        const int clipboard = QClipboard::Clipboard;
        const int selection = QClipboard::Selection;
        QTest::newRow("own clipboard") << false << 0 << QList<int>{clipboard};
        QTest::newRow("synchronisation needs the extensions") << false << 1 << QList<int>{clipboard};
        QTest::newRow("extensions alone") << true << 0 << QList<int>{clipboard};
        QTest::newRow("synchronised on select") << true << 1 << QList<int>{clipboard, selection};
        QTest::newRow("synchronised instantly") << true << 2 << QList<int>{clipboard, selection};
    }

    void choosingAHistoryRow()
    {
        QFETCH(bool, platformExtensions);
        QFETCH(int, synchronizePSE);
        QFETCH(QList<int>, written);
        set(QStringLiteral("platformExtensions"), platformExtensions);
        set(QStringLiteral("synchronizePSE"), synchronizePSE);
        setSticky({"s1", "s2"});
        setHistory({"h1", "h2", "h3"});
        makeModel();

        model->indexTriggered(model->index(3));
        QList<int> modes;
        for (const FakeSystemClipboard::Write &write : fake->writes()) {
            modes.append(write.mode);
            QCOMPARE(write.content, plain("h2"));
        }
        QCOMPARE(modes, written);
        QCOMPARE(recorder->take(), QStringList{"move 3 3 to 2"});
        QCOMPARE(rows(), (QStringList{"s1", "s2", "h2", "h1", "h3"}));
        QCOMPARE(currentRow(), 2);
        QCOMPARE(storedHistory(), (QStringList{"h2", "h1", "h3"}));

        // The top row is not moved, but stored again.
        forgetStoredHistory();
        model->indexTriggered(model->index(2));
        QCOMPARE(recorder->take(), QStringList());
        QVERIFY(historyStored());
    }

    void aSelectionItemGoesBackToTheSelection()
    {
        set(QStringLiteral("platformExtensions"), true);
        setHistory({"h"});
        makeModel();
        copy(QStringLiteral("selected"), QClipboard::Selection);
        copy(QStringLiteral("copied"));
        fake->clearWrites();
        model->indexTriggered(model->index(1));
        using W = QList<std::pair<int, Morv::ClipboardContent>>;
        QCOMPARE(writes(), (W{{QClipboard::Selection, plain("selected")}}));
    }

    void aLateReportOfTheChoiceAddsNoRow()
    {
        setHistory({"h1", "h2"});
        makeModel();
        fake->setWriteReport(Report::Queued, 2);
        model->indexTriggered(model->index(1));
        QCOMPARE(recorder->take(), QStringList{"move 1 1 to 0"});
        settle();
        QCOMPARE(recorder->take(), QStringList());
        QCOMPARE(rows(), (QStringList{"h2", "h1"}));
        QCOMPARE(currentRow(), 0);
    }

    void staleAndForeignIndexesAreIgnored()
    {
        setHistory({"a", "b", "c"});
        makeModel();
        const QModelIndex stale = model->index(2);
        model->clearHistory();
        recorder->take();

        model->indexTriggered(stale);
        model->indexTriggered(QModelIndex());
        QStringListModel other({"x", "y", "z"});
        model->indexTriggered(other.index(0));
        QVERIFY(fake->writes().isEmpty());
        QCOMPARE(recorder->take(), QStringList());
        QCOMPARE(rows(), QStringList{welcome});

        const QVariant display = model->data(stale, Qt::DisplayRole);
        QCOMPARE(display.metaType(), QMetaType::fromType<QString>());
        QVERIFY(display.toString().isEmpty());
        QCOMPARE(model->data(stale, Qt::FontRole).metaType(), QMetaType::fromType<QString>());
        QCOMPARE(model->flags(stale), Qt::NoItemFlags);
        QCOMPARE(model->flags(QModelIndex()), Qt::NoItemFlags);
        QCOMPARE(model->data(other.index(2), Qt::DisplayRole).toString(), QString());
    }

    void rolesAndFlags()
    {
        setHistory({"a"});
        makeModel();
        const QModelIndex first = model->index(0);
        for (int role :
             {int(Qt::EditRole), int(Qt::StatusTipRole), int(Qt::WhatsThisRole), int(Qt::UserRole + 1)}) {
            const QVariant value = model->data(first, role);
            QCOMPARE(value.metaType(), QMetaType::fromType<QString>());
            QVERIFY(value.toString().isEmpty());
        }
        QCOMPARE(model->data(QModelIndex(), Qt::DisplayRole).metaType(), QMetaType::fromType<QString>());
        QCOMPARE(int(model->flags(first)), 34);
        QVERIFY(!model->data(first, Qt::DecorationRole).value<QIcon>().isNull());
        QCOMPARE(model->data(first, Qt::FontRole).value<QFont>().weight(), QFont::Normal);
        QCOMPARE(model->rowCount(first), 0);
        QCOMPARE(static_cast<QAbstractItemModel *>(model.get())->columnCount(), 1);
    }

    // What a search of the menu matches: the whole text, not the shortened one the menu shows.
    void theTextRoleGivesTheWholeText()
    {
        const QString longText =
            QStringLiteral("  a first line\nand a second one, longer than the thirty shown  ");
        setSticky({QStringLiteral("a sticky snippet that is also longer than thirty characters")});
        setHistory({longText});
        set(QStringLiteral("displaySize"), 12);
        makeModel();
        QCOMPARE(model->data(model->index(0), Morv::Model::TextRole).toString(),
                 QStringLiteral("a sticky snippet that is also longer than thirty characters"));
        QCOMPARE(model->data(model->index(1), Morv::Model::TextRole).toString(), longText);
        QCOMPARE(model->data(model->index(1), Qt::DisplayRole).toString(), QStringLiteral("a first line"));
        QCOMPARE(model->data(model->index(2), Morv::Model::TextRole).toString(), QString());
    }

    void clearingKeepsTheStickyRows()
    {
        setSticky({"s1", "s2"});
        setHistory({"a", "b", "c"});
        makeModel();
        forgetStoredHistory();
        model->clearHistory();
        QCOMPARE(recorder->take(), (QStringList{"remove 2 4", "insert 2 2"}));
        QCOMPARE(rows(), (QStringList{"s1", "s2", welcome}));
        QCOMPARE(currentRow(), 2);
        QVERIFY(fake->writes().isEmpty());
        QVERIFY(!historyStored());

        model.reset();
        setHistory({});
        makeModel();
        QCOMPARE(rows(), (QStringList{"s1", "s2"}));
        model->clearHistory();
        QCOMPARE(recorder->take(), QStringList{"insert 2 2"});
    }

    void reloadingTheStickyItems()
    {
        setSticky({"s1", "s2"});
        setHistory({"a", "b"});
        makeModel();
        model->indexTriggered(model->index(3));
        QCOMPARE(currentRow(), 2);
        recorder->take();

        setSticky({"n1", "n2", "n3"});
        model->reloadSticky();
        QCOMPARE(recorder->take(), (QStringList{"remove 0 1", "insert 0 2"}));
        QCOMPARE(rows(), (QStringList{"n1", "n2", "n3", "b", "a"}));
        QCOMPARE(currentRow(), 3); // follows its row

        model->indexTriggered(model->index(1));
        QCOMPARE(currentRow(), 1);
        setSticky({});
        model->reloadSticky();
        QCOMPARE(recorder->take(), QStringList{"remove 0 2"});
        QCOMPARE(rows(), (QStringList{"b", "a"}));
        QCOMPARE(currentRow(), -1); // its row is gone

        model->reloadSticky();
        QCOMPARE(recorder->take(), QStringList());
    }

    void storingMoments_data()
    {
        QTest::addColumn<int>("event");
        QTest::addColumn<bool>("synchronizeHistory");
        QTest::addColumn<bool>("stored");
        const char *events[] = {"new copy",          "duplicate copy",          "history row chosen",
                                "sticky row chosen", "sticky duplicate copied", "emptied clipboard restored",
                                "history cleared"};
        for (int event = 0; event < 7; ++event) {
            for (bool synchronize : {true, false}) {
                QTest::addRow("%s, %s", events[event], synchronize ? "synchronised" : "not synchronised")
                    << event << synchronize << (synchronize && event < 3);
            }
        }
    }

    void storingMoments()
    {
        QFETCH(int, event);
        QFETCH(bool, synchronizeHistory);
        QFETCH(bool, stored);
        set(QStringLiteral("synchronizeHistory"), synchronizeHistory);
        setSticky({"s"});
        setHistory({"a", "b"});
        makeModel();
        forgetStoredHistory();
        switch (event) {
        case 0:
            copy(QStringLiteral("new"));
            break;
        case 1:
            copy(QStringLiteral("b"));
            break;
        case 2:
            model->indexTriggered(model->index(2));
            break;
        case 3:
            model->indexTriggered(model->index(0));
            break;
        case 4:
            copy(QStringLiteral("s"));
            break;
        case 5:
            ownerExits();
            QVERIFY(!fake->writes().isEmpty());
            break;
        case 6:
            model->clearHistory();
            break;
        }
        QCOMPARE(historyStored(), stored);
    }

    void aCaptureDoesNotWaitForTheFile()
    {
        makeModel();
        QElapsedTimer elapsed;
        {
            // Another program is writing the settings file and holds its lock meanwhile.
            QLockFile lock(TestEnvironment::settingsFile() + QStringLiteral(".lock"));
            QVERIFY(lock.lock());
            elapsed.start();
            copy(QStringLiteral("first"));
            copy(QStringLiteral("second"));
            QCOMPARE(rows(), (QStringList{"second", "first", welcome}));
            QVERIFY(!fileContents().contains("first"));
        }
        // A save that waited for the lock would have taken seconds.
        QVERIFY(elapsed.elapsed() < 2000);
        QVERIFY(historyStored());
        QCOMPARE(storedHistory(), (QStringList{"second", "first", welcome}));
    }

    void aPictureIsHashedWhenItIsStored()
    {
        // Never on the way of a capture: with the history stored only at exit, nothing hashes the
        // picture until then.
        set(QStringLiteral("synchronizeHistory"), false);
        makeModel();
        const QByteArray png = noise(1, 3 * 1024 * 1024);
        copy(FakeSystemClipboard::mimeData(
            {{"image/png", png}, {"image/bmp", noise(2, 5000)}, {"text/x-small", "s"}}));
        QCOMPARE(rows().first(), QStringLiteral("Binary: "));
        model->indexTriggered(model->index(0));
        const auto *mime = qobject_cast<const Morv::ItemMimeData *>(fake->mimeData(QClipboard::Clipboard));
        QVERIFY(mime);
        const Morv::LargeContent stored = mime->item().largeContents().value(QStringLiteral("image/png"));
        QCOMPARE(stored.size(), png.size());
        QCOMPARE(stored.sha256(), QByteArray());
        QVERIFY(!stored.isStored());
        QVERIFY(contentFiles().isEmpty());

        model.reset();
        QCOMPARE(stored.sha256(), sha(png).toLatin1());
        QVERIFY(stored.isStored());
        QCOMPARE(contentFiles().size(), 2);
    }

    void aPictureCopiedAgainIsFoundStored()
    {
        makeModel();
        const QByteArray png = noise(3, 200000);
        copy(picture(png));
        preferences()->waitForBackgroundSave();
        copy(QStringLiteral("between"));
        recorder->take();

        // The same bytes, in a copy of another program's own, find the stored item.
        copy(picture(QByteArray(png.constData(), png.size())));
        QCOMPARE(recorder->take(), QStringList{"move 1 1 to 0"});
        // Pictures of the same size that differ anywhere are new items.
        for (const qsizetype at : {qsizetype(8), png.size() / 2, png.size() - 1}) {
            QByteArray other = png;
            other[at] = char(other.at(at) ^ 0x40);
            copy(picture(other));
            QCOMPARE(recorder->take(), QStringList{"insert 0 0"});
        }
        QCOMPARE(rows().size(), 6);
    }

    void clearingTakesTheContentFiles_data()
    {
        QTest::addColumn<bool>("synchronizeHistory");
        QTest::newRow("synchronised") << true;
        QTest::newRow("stored at exit") << false;
    }

    void clearingTakesTheContentFiles()
    {
        QFETCH(bool, synchronizeHistory);
        set(QStringLiteral("synchronizeHistory"), synchronizeHistory);
        const QByteArray a = noise(4, 100000);
        const QByteArray b = noise(5, 100000);
        makeModel();
        copy(picture(a));
        copy(picture(b));
        copy(QStringLiteral("text"));
        // What a password manager marks as secret is never written.
        copy(FakeSystemClipboard::mimeData(
            {{"image/png", noise(6, 9000)}, {"x-kde-passwordManagerHint", "secret"}}));
        model.reset();
        QStringList both{sha(a), sha(b)};
        both.sort();
        QCOMPARE(contentFiles(), both);

        // Picture b on the clipboard, then the history cleared: what the clipboard offers stays
        // as long as it offers it, the rest goes at once.
        makeModel();
        model->indexTriggered(model->index(1));
        model->clearHistory();
        preferences()->waitForBackgroundSave();
        QCOMPARE(contentFiles(), QStringList{sha(b)});
        QCOMPARE(storedHistory(), QStringList{welcome});
        QCOMPARE(fake->content(QClipboard::Clipboard).value(QStringLiteral("image/png")), b);

        fake->simulateCopy(QStringLiteral("another program's"), QClipboard::Clipboard, Report::Silent);
        QVERIFY(readAheadJobsEnded());
        model.reset();
        QCOMPARE(contentFiles(), QStringList());
    }

    void destructionStoresHistoryAndStickyItems()
    {
        set(QStringLiteral("synchronizeHistory"), false);
        setSticky({"s"});
        setHistory({"a"});
        makeModel();
        copy(QStringLiteral("  spaced  "));
        preferences()->remove(QStringLiteral("dynamic"));
        preferences()->remove(QStringLiteral("sticky"));
        model.reset();
        QCOMPARE(storedHistory(), (QStringList{"  spaced  ", "a"})); // never trimmed
        QCOMPARE(texts(preferences()->loadSticky()), QStringList{"s"});
    }
};

QTEST_MAIN(TestModel)
#include "tst_model.moc"

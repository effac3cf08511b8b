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

using Morv::ClipboardContent;
using Morv::ClipboardWrap;
using Morv::Item;
using Morv::Model;
using Morv::Preferences;
using Report = FakeSystemClipboard::Report;

namespace {

ClipboardContent textOnly(const QByteArray &text)
{
    return {{QStringLiteral("text/plain"), text}, {QStringLiteral("text/plain;charset=utf-8"), text}};
}

} // namespace

// Choosing a row as plain text (Shift+Return) against the fake clipboard: only the text goes to
// the clipboard, the history stays as it was, and our text coming back is no copy. And which
// choices report that the clipboard proper holds their content, for the paste keys.
class TestPlainTextChoice : public QObject
{
    Q_OBJECT

    FakeSystemClipboard *fake = nullptr;
    std::unique_ptr<Model> model;
    ModelSignalRecorder *recorder = nullptr;

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

    static void set(const QString &key, const QVariant &value)
    {
        Preferences::instance()->setValue(key, value);
    }

    void makeModel()
    {
        model = std::make_unique<Model>();
        new QAbstractItemModelTester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     model.get());
        recorder = new ModelSignalRecorder(model.get());
    }

    void copy(QMimeData *mime, QClipboard::Mode mode = QClipboard::Clipboard)
    {
        QSignalSpy spy(ClipboardWrap::instance(), &ClipboardWrap::changed);
        fake->simulateCopy(mime, mode);
        QTRY_VERIFY(spy.count() >= 1);
    }

    QStringList rows() const { return ModelRows::displayTexts(*model); }

    // Whether the history was stored since forgetStoredHistory().
    static bool historyStored()
    {
        Preferences::instance()->waitForBackgroundSave();
        Preferences::instance()->sync();
        return Preferences::instance()->contains(QStringLiteral("dynamic/items/size"));
    }

    static void forgetStoredHistory()
    {
        Preferences::instance()->waitForBackgroundSave();
        Preferences::instance()->sync();
        Preferences::instance()->remove(QStringLiteral("dynamic"));
        Preferences::instance()->sync();
    }

    QList<std::pair<int, ClipboardContent>> writes() const
    {
        QList<std::pair<int, ClipboardContent>> result;
        for (const FakeSystemClipboard::Write &write : fake->writes())
            result.append({int(write.mode), write.content});
        return result;
    }

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
        set(QStringLiteral("displaySize"), 200);
        Preferences::instance()->saveHistory(
            {Item(QClipboard::Clipboard, Morv::PlainText, {{QStringLiteral("text/plain"), "h"}})});
    }

    void cleanup()
    {
        model.reset();
        settle();
    }

    void richTextGoesAsItsTextAlone()
    {
        makeModel();
        copy(FakeSystemClipboard::mimeData(
            {{"text/html", "<b>bold</b> words"}, {"text/plain", "bold words"}, {"image/png", "not really"}}));
        QCOMPARE(rows(), (QStringList{"bold words", "h"}));
        recorder->take();
        fake->clearWrites();
        forgetStoredHistory();
        QSignalSpy onClipboard(model.get(), &Model::chosenOnClipboard);

        model->indexTriggeredAsPlainText(model->index(1)); // the older row
        using W = QList<std::pair<int, ClipboardContent>>;
        QCOMPARE(writes(), (W{{QClipboard::Clipboard, textOnly("h")}}));
        model->indexTriggeredAsPlainText(model->index(0));
        QCOMPARE(writes().last(),
                 (std::pair<int, ClipboardContent>{QClipboard::Clipboard, textOnly("bold words")}));
        QCOMPARE(onClipboard.count(), 2);

        // Neither moved nor added nor stored, and no row is what the clipboard holds now.
        QCOMPARE(recorder->take(), QStringList());
        QCOMPARE(rows(), (QStringList{"bold words", "h"}));
        QCOMPARE(ModelRows::boldRow(*model), -1);
        QVERIFY(!historyStored());

        // The ordinary choice is unchanged: the row moves up, is bold, and goes with every format.
        fake->clearWrites();
        model->indexTriggered(model->index(1));
        QCOMPARE(rows(), (QStringList{"h", "bold words"}));
        QCOMPARE(ModelRows::boldRow(*model), 0);
        model->indexTriggered(model->index(1));
        QCOMPARE(fake->writes().size(), 2);
        QVERIFY(fake->writes().at(1).content.contains(QStringLiteral("text/html")));
        QVERIFY(fake->writes().at(1).content.contains(QStringLiteral("image/png")));
        QCOMPARE(onClipboard.count(), 4);
        QVERIFY(historyStored());
    }

    // A platform that reports our own writes later (the compositor's round trip): the text comes
    // back as our own offer and is no copy.
    void ourTextComingBackIsNoCopy()
    {
        makeModel();
        copy(FakeSystemClipboard::mimeData({{"text/html", "<i>x</i>"}, {"text/plain", "x"}}));
        recorder->take();
        fake->setWriteReport(Report::Queued, 2);
        model->indexTriggeredAsPlainText(model->index(0));
        settle();
        QCOMPARE(recorder->take(), QStringList());
        QCOMPARE(rows(), (QStringList{"x", "h"}));
        // What another program copies afterwards is taken as ever.
        copy(FakeSystemClipboard::mimeData({{"text/plain", "y"}}));
        QCOMPARE(rows(), (QStringList{"y", "x", "h"}));
    }

    void linksGoOnePerLineAndFilesAsTheirPaths()
    {
        makeModel();
        copy(FakeSystemClipboard::mimeData(
            {{"text/uri-list", "file:///home/user/a%20picture.png\r\nhttps://example.org/page\r\n"}}));
        fake->clearWrites();
        model->indexTriggeredAsPlainText(model->index(0));
        QCOMPARE(fake->writes().size(), 1);
        QCOMPARE(fake->writes().at(0).content,
                 textOnly("/home/user/a picture.png\nhttps://example.org/page"));
    }

    void aRowWithoutTextPutsNothing()
    {
        makeModel();
        copy(FakeSystemClipboard::mimeData({{"image/png", "png bytes"}}));
        fake->clearWrites();
        QSignalSpy onClipboard(model.get(), &Model::chosenOnClipboard);
        model->indexTriggeredAsPlainText(model->index(0));
        model->indexTriggeredAsPlainText(model->index(7));
        model->indexTriggeredAsPlainText(QModelIndex());
        QVERIFY(fake->writes().isEmpty());
        QCOMPARE(onClipboard.count(), 0);
    }

    // Only a choice that reaches the clipboard proper says so: a paste key pastes the clipboard.
    void choicesOnTheClipboardProper_data()
    {
        QTest::addColumn<int>("synchronizePSE");
        QTest::addColumn<bool>("plainText");
        QTest::addColumn<QList<int>>("written");
        QTest::addColumn<bool>("onClipboard");
        const int clipboard = QClipboard::Clipboard;
        const int selection = QClipboard::Selection;
        QTest::newRow("selection alone") << 0 << false << QList<int>{selection} << false;
        QTest::newRow("selection alone, as text") << 0 << true << QList<int>{selection} << false;
        QTest::newRow("synchronised") << 1 << false << QList<int>{selection, clipboard} << true;
        QTest::newRow("synchronised, as text") << 1 << true << QList<int>{selection, clipboard} << true;
    }

    void choicesOnTheClipboardProper()
    {
        QFETCH(int, synchronizePSE);
        QFETCH(bool, plainText);
        QFETCH(QList<int>, written);
        QFETCH(bool, onClipboard);
        set(QStringLiteral("platformExtensions"), true);
        set(QStringLiteral("synchronizePSE"), synchronizePSE);
        makeModel();
        copy(FakeSystemClipboard::mimeData({{"text/plain", "selected"}}), QClipboard::Selection);
        fake->clearWrites();
        QSignalSpy said(model.get(), &Model::chosenOnClipboard);
        if (plainText)
            model->indexTriggeredAsPlainText(model->index(0));
        else
            model->indexTriggered(model->index(0));
        QList<int> modes;
        for (const FakeSystemClipboard::Write &write : fake->writes())
            modes.append(write.mode);
        QCOMPARE(modes, written);
        QCOMPARE(said.count(), onClipboard ? 1 : 0);
    }
};

QTEST_MAIN(TestPlainTextChoice)
#include "tst_plaintextchoice.moc"

// SPDX-License-Identifier: GPL-2.0-or-later

#include "clipboardwrap.h"
#include "item.h"
#include "ksystemclipboard.h"
#include "model.h"
#include "modelsignalrecorder.h"
#include "shellcommand.h"
#include "testenvironment.h"

#include "modelrows.h"
#include <QAbstractItemModelTester>
#include <QDeadlineTimer>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <QTest>

#include <memory>
#include <optional>

using Morv::ClipboardWrap;
using Morv::Item;
using Morv::Model;
using Morv::Preferences;

using ShellCommand::run;
using ShellCommand::sha256;

// The history model on a Wayland session: what other programs copy (wl-copy) is captured through
// the data-control backend, and what the model puts back is read by wl-paste byte for byte.
class TestModelWayland : public QObject
{
    Q_OBJECT

    QTemporaryDir files;
    QString pngFile;
    QByteArray png;
    std::unique_ptr<Model> model;
    ModelSignalRecorder *recorder = nullptr;
    QList<QProcess *> owners;

    QStringList rows() const { return ModelRows::displayTexts(*model); }

    // The row shown in bold, -1 for none, -2 when several are.
    int currentRow() const { return ModelRows::boldRow(*model); }

    static Item newestStored()
    {
        const QList<Item> items = Preferences::instance()->loadHistory();
        return items.isEmpty() ? Item() : items.first();
    }

    static void set(const QString &key, const QVariant &value)
    {
        Preferences::instance()->setValue(key, value);
    }

    // wl-copy in the foreground: it owns the clipboard until it is ended.
    QProcess *owner(const QStringList &arguments)
    {
        auto *process = new QProcess(this);
        owners.append(process);
        process->start(QStringLiteral("wl-copy"), QStringList{QStringLiteral("--foreground")} + arguments);
        process->waitForStarted();
        return process;
    }

    // Waits until no clipboard change has been reported for a while: the program has settled.
    static int changesUntilQuiet(int quiet = 500, int limit = 5000)
    {
        QSignalSpy changes(ClipboardWrap::instance(), &ClipboardWrap::changed);
        QDeadlineTimer deadline(limit);
        int seen = -1;
        while (seen != changes.count() && !deadline.hasExpired()) {
            seen = int(changes.count());
            QTest::qWait(quiet);
        }
        return int(changes.count());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        TestEnvironment::setUp();
        QVERIFY(files.isValid());
        QImage image(96, 96, QImage::Format_RGB32);
        QRandomGenerator random(11);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, random.generate() | 0xff000000);
        pngFile = files.filePath(QStringLiteral("noise.png"));
        QVERIFY(image.save(pngFile, "PNG"));
        QFile file(pngFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        png = file.readAll();

        // Content on the clipboard before anything of ours looks at it (the first test needs it).
        QVERIFY(run(QStringLiteral("printf 'there before us' | wl-copy")));
        QTRY_COMPARE(run(QStringLiteral("wl-paste --no-newline")), QByteArray("there before us"));
    }

    void init()
    {
        TestEnvironment::clearSettings();
        if (QByteArray(QTest::currentTestFunction()) == "aFirstStartTakesTheClipboardOfTheMoment")
            return;
        Preferences::instance()->saveHistory(
            {Item(QClipboard::Clipboard, Morv::PlainText, {{QStringLiteral("text/plain"), "start"}})});
        model = std::make_unique<Model>();
        new QAbstractItemModelTester(model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                     model.get());
        recorder = new ModelSignalRecorder(model.get());
        QCOMPARE(rows(), QStringList{"start"});
    }

    void cleanup()
    {
        model.reset();
        for (QProcess *process : std::as_const(owners)) {
            process->kill();
            process->waitForFinished(5000);
        }
        qDeleteAll(owners);
        owners.clear();
        // Let the reports of this test's ended owners pass before the next test's model exists.
        changesUntilQuiet(300);
    }

    void aFirstStartTakesTheClipboardOfTheMoment()
    {
        // The model is the first to use the clipboard: the backend connects to the compositor now
        // and must know the content at once, as QClipboard does on X11 (no welcome item then).
        model = std::make_unique<Model>();
        QCOMPARE(rows(), QStringList{"there before us"});
        QCOMPARE(currentRow(), 0);
        QCOMPARE(newestStored().content().value(QStringLiteral("text/plain")), QByteArray("there before us"));
    }

    void capturesCopiesWithTheirFormats()
    {
        QVERIFY(run(QStringLiteral("printf 'hello wayland \\342\\202\\254' | wl-copy")));
        QTRY_COMPARE(rows().first(), QString::fromUtf8("hello wayland \xe2\x82\xac"));
        QCOMPARE(recorder->take(), QStringList{"insert 0 0"});
        QCOMPARE(currentRow(), 0);
        Item item = newestStored();
        QCOMPARE(item.contentType(), Morv::PlainText);
        // wl-copy's X11 names (TEXT, STRING, UTF8_STRING) are no MIME types and are not kept.
        QStringList formats = item.content().keys();
        formats.sort();
        QCOMPARE(formats, QStringList({"text/plain", "text/plain;charset=utf-8"}));
        QCOMPARE(item.content().value(QStringLiteral("text/plain")),
                 QByteArray("hello wayland \xe2\x82\xac"));

        QVERIFY(run(QStringLiteral("printf '<b>rich</b>' | wl-copy --type text/html")));
        QTRY_COMPARE(model->rowCount(), 3);
        item = newestStored();
        QCOMPARE(item.contentType(), Morv::RichText);
        QCOMPARE(item.content().value(QStringLiteral("text/html")), QByteArray("<b>rich</b>"));

        QVERIFY(run(QStringLiteral("wl-copy --type image/png < '%1'").arg(pngFile)));
        QTRY_COMPARE(model->rowCount(), 4);
        item = newestStored();
        QCOMPARE(item.contentType(), Morv::Binary);
        QCOMPARE(item.data(QStringLiteral("image/png")), png);
        QCOMPARE(model->data(model->index(0), Qt::ToolTipRole).toString(),
                 QStringLiteral("Clipboard: Binary Content"));
    }

    void anEmptiedClipboardIsRestored()
    {
        QProcess *quitting = owner({QStringLiteral("soon alone")});
        QTRY_COMPARE(rows().first(), QStringLiteral("soon alone"));
        QCOMPARE(recorder->take(), QStringList{"insert 0 0"});

        quitting->kill();
        quitting->waitForFinished(5000);
        // The newest item of the clipboard goes back; the history keeps its order.
        QTRY_COMPARE(run(QStringLiteral("wl-paste --no-newline")), QByteArray("soon alone"));
        QCOMPARE(currentRow(), 0);
        QCOMPARE(rows(), (QStringList{"soon alone", "start"}));
        QCOMPARE(recorder->take(), QStringList());
    }

    void choosingAnItemServesItsBytes()
    {
        QVERIFY(run(QStringLiteral("wl-copy --type image/png < '%1'").arg(pngFile)));
        QTRY_COMPARE(model->rowCount(), 2);
        QVERIFY(run(QStringLiteral("printf 'something else' | wl-copy")));
        QTRY_COMPARE(rows().first(), QStringLiteral("something else"));
        recorder->take();

        model->indexTriggered(model->index(1));
        QCOMPARE(recorder->take(), QStringList{"move 1 1 to 0"});
        for (int paste = 0; paste < 3; ++paste)
            QCOMPARE(run(QStringLiteral("wl-paste --type image/png | sha256sum | cut -d' ' -f1")),
                     sha256(png) + '\n');
        QCOMPARE(run(QStringLiteral("wl-paste --list-types")), QByteArray("image/png\n"));
        // Our own write is not captured again.
        QCOMPARE(changesUntilQuiet(), 0);
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(recorder->take(), QStringList());
        QCOMPARE(currentRow(), 0);
    }

    void instantSynchronisationSettles()
    {
        set(QStringLiteral("platformExtensions"), true);
        set(QStringLiteral("synchronizePSE"), 2);
        // As after the preferences dialog: the primary selection is read only while it is kept.
        model->watchSelectionAsPreferred();

        QVERIFY(run(QStringLiteral("printf 'copied' | wl-copy")));
        QTRY_COMPARE(rows().first(), QStringLiteral("copied"));
        QTRY_COMPARE(run(QStringLiteral("wl-paste --primary --no-newline")), QByteArray("copied"));

        QVERIFY(run(QStringLiteral("printf 'selected' | wl-copy --primary")));
        QTRY_COMPARE(rows().first(), QStringLiteral("selected"));
        QTRY_COMPARE(run(QStringLiteral("wl-paste --no-newline")), QByteArray("selected"));

        // Neither clipboard hands the content back to the other: nothing more happens.
        QCOMPARE(changesUntilQuiet(), 0);
        QCOMPARE(rows(), (QStringList{"selected", "copied", "start"}));
        QCOMPARE(run(QStringLiteral("wl-paste --primary --no-newline")), QByteArray("selected"));
    }
};

QTEST_MAIN(TestModelWayland)
#include "tst_model_wayland.moc"

// SPDX-License-Identifier: GPL-2.0-or-later

#include "clipboardwrap.h"
#include "contentfilestore.h"
#include "item.h"
#include "ksystemclipboard.h"
#include "model.h"
#include "modelsignalrecorder.h"
#include "testenvironment.h"

#include "modelrows.h"
#include <QAbstractItemModelTester>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <QTest>

#include <memory>

using Morv::ClipboardWrap;
using Morv::Item;
using Morv::Model;
using Morv::Preferences;

// Real traffic on an X display: other programs (xclip, xsel and a Qt program of our own) offer
// content, the model captures it through Qt's xcb clipboard, and what the program puts back is
// read by xclip byte for byte.
class TestClipboardX11 : public QObject
{
    Q_OBJECT

    QTemporaryDir files;
    QString pngFile;
    QString bmpFile;
    std::unique_ptr<Model> model;
    ModelSignalRecorder *recorder = nullptr;
    QList<QProcess *> processes;

    // Starts a program that serves a selection in the foreground until it is ended.
    QProcess *serve(const QString &program, const QStringList &arguments,
                    const QByteArray &input = QByteArray())
    {
        auto process = new QProcess(this);
        // xclip -quiet narrates every request it serves; our own program's messages are wanted.
        if (program != QLatin1String(CLIPBOARD_OFFER))
            process->setStandardErrorFile(QProcess::nullDevice());
        else
            process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        processes.append(process);
        process->start(program, arguments);
        if (!process->waitForStarted())
            qWarning("cannot start %s", qPrintable(program));
        if (!input.isNull()) {
            process->write(input);
            process->closeWriteChannel();
        }
        return process;
    }

    QProcess *xclip(const QByteArray &data, const QString &type = QString(),
                    const QString &selection = QStringLiteral("clipboard"))
    {
        QStringList arguments{QStringLiteral("-quiet"), QStringLiteral("-selection"), selection};
        if (!type.isEmpty())
            arguments << QStringLiteral("-t") << type;
        return serve(QStringLiteral("xclip"), arguments, data);
    }

    // The program of our own, which offers several formats at once.
    QProcess *offer(const QStringList &formats) { return serve(QStringLiteral(CLIPBOARD_OFFER), formats); }

    static void waitUntilReady(QProcess *process)
    {
        QTRY_VERIFY(process->canReadLine());
        QCOMPARE(process->readLine(), QByteArray("ready\n"));
    }

    void end(QProcess *process)
    {
        process->kill();
        process->waitForFinished(5000);
    }

    // What another program reads from a selection; the event loop runs meanwhile, since this
    // process may be the one that serves it.
    static QByteArray readBack(const QString &target, const QString &selection = QStringLiteral("clipboard"))
    {
        QProcess reader;
        reader.start(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"), selection,
                                               QStringLiteral("-t"), target});
        [&] { QTRY_COMPARE_WITH_TIMEOUT(reader.state(), QProcess::NotRunning, 10000); }();
        return reader.readAllStandardOutput();
    }

    QStringList rows() const { return ModelRows::displayTexts(*model); }

    // A choice made from here comes with no click or key press to date it: the clipboard stamps its
    // write with the server's time itself.
    void choose(int row) { model->indexTriggered(model->index(row)); }

    // The row shown in bold, -1 for none, -2 when several are.
    int currentRow() const { return ModelRows::boldRow(*model); }

    static void set(const QString &key, const QVariant &value)
    {
        Preferences::instance()->setValue(key, value);
    }

    // As the preferences dialog does: the clipboard reads the selection only while it is kept.
    static void setPlatformExtensions(bool on)
    {
        set(QStringLiteral("platformExtensions"), on);
        KSystemClipboard::instance()->setSelectionWatched(on);
    }

    // The newest history item as the model stored it, with every captured format.
    static Item newestStored()
    {
        const QList<Item> items = Preferences::instance()->loadHistory();
        return items.isEmpty() ? Item() : items.first();
    }

    static void verifyOnlyMimeTypes(const Item &item)
    {
        for (const QString &format : item.formats())
            QVERIFY2(format.contains(QLatin1Char('/')), qPrintable(format));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        TestEnvironment::setUp();
        QVERIFY(files.isValid());

        // Noise, so that the PNG is not tiny and any change of a byte shows.
        QImage image(96, 96, QImage::Format_RGB32);
        QRandomGenerator random(7);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, random.generate() | 0xff000000);
        pngFile = files.filePath(QStringLiteral("noise.png"));
        bmpFile = files.filePath(QStringLiteral("noise.bmp"));
        QVERIFY(image.save(pngFile, "PNG"));
        QVERIFY(image.save(bmpFile, "BMP"));
    }

    void init()
    {
        TestEnvironment::clearSettings();
        setPlatformExtensions(false);
        set(QStringLiteral("displaySize"), 200);
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
        for (QProcess *process : std::as_const(processes))
            end(process);
        qDeleteAll(processes);
        processes.clear();
        QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
        QGuiApplication::clipboard()->clear(QClipboard::Selection);
        // The X server reports ended owners a little later; those reports belong to this test and
        // must not reach the next one's model.
        QSignalSpy changes(ClipboardWrap::instance(), &ClipboardWrap::changed);
        QDeadlineTimer deadline(5000);
        for (int seen = -1; seen != changes.count() && !deadline.hasExpired();) {
            seen = changes.count();
            QTest::qWait(150);
        }
    }

    void text()
    {
        xclip("hello x11 \xe2\x82\xac");
        QTRY_COMPARE(rows().first(), QString::fromUtf8("hello x11 \xe2\x82\xac"));
        QCOMPARE(recorder->take(), QStringList{"insert 0 0"});
        QCOMPARE(currentRow(), 0);

        const Item item = newestStored();
        QCOMPARE(item.contentType(), Morv::PlainText);
        QCOMPARE(item.content().value(QStringLiteral("text/plain")), QByteArray("hello x11 \xe2\x82\xac"));
        verifyOnlyMimeTypes(item);

        const Item captured(QClipboard::Clipboard);
        QVERIFY(captured.isValid());
        QCOMPARE(captured.text(), QString::fromUtf8("hello x11 \xe2\x82\xac"));
        QVERIFY(captured == item);
    }

    void html()
    {
        offer({QStringLiteral("text/plain=plain words"), QStringLiteral("text/html=<b>rich</b> words")});
        QTRY_COMPARE(rows().first(), QStringLiteral("plain words"));
        const Item item(QClipboard::Clipboard);
        QCOMPARE(item.contentType(), Morv::RichText);
        QCOMPARE(item.text(), QStringLiteral("plain words"));
        QCOMPARE(item.content().value(QStringLiteral("text/html")), QByteArray("<b>rich</b> words"));
        QCOMPARE(item.content().value(QStringLiteral("text/plain")), QByteArray("plain words"));
        verifyOnlyMimeTypes(item);
        QCOMPARE(model->data(model->index(0), Qt::ToolTipRole).toString(),
                 QStringLiteral("Clipboard: Rich Text"));
    }

    void htmlAlone()
    {
        xclip("<i>only html</i>", QStringLiteral("text/html"));
        QTRY_COMPARE(model->rowCount(), 2);
        const Item item = newestStored();
        QCOMPARE(item.contentType(), Morv::RichText);
        QCOMPARE(item.content().value(QStringLiteral("text/html")), QByteArray("<i>only html</i>"));
        verifyOnlyMimeTypes(item);
    }

    void urls()
    {
        xclip("file:///tmp/a%20b.txt\r\nfile:///home/c\r\n", QStringLiteral("text/uri-list"));
        QTRY_COMPARE(rows().first(), QStringLiteral("Url: file:///tmp/a b.txt\nfile:///home/c\n"));
        const Item item(QClipboard::Clipboard);
        QCOMPARE(item.contentType(), Morv::Url);
        QCOMPARE(item.text(), QStringLiteral("file:///tmp/a b.txt\nfile:///home/c\n"));
        QCOMPARE(item.content().value(QStringLiteral("text/uri-list")),
                 QByteArray("file:///tmp/a%20b.txt\r\nfile:///home/c\r\n"));
        verifyOnlyMimeTypes(item);
    }

    void anImageGoesBackByteForByte()
    {
        QFile file(pngFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray png = file.readAll();
        QProcess *owner = xclip(png, QStringLiteral("image/png"));
        QTRY_COMPARE(model->rowCount(), 2);
        QCOMPARE(rows().first(), QStringLiteral("Binary: "));

        const Item item = newestStored();
        QCOMPARE(item.contentType(), Morv::Binary);
        QCOMPARE(item.data(QStringLiteral("image/png")), png);
        verifyOnlyMimeTypes(item);

        // Another program copies; then the image is chosen from the menu and read back.
        end(owner);
        xclip("something else");
        QTRY_COMPARE(rows().first(), QStringLiteral("something else"));
        recorder->take();
        choose(1);
        QCOMPARE(recorder->take(), QStringList{"move 1 1 to 0"});
        const QByteArray read = readBack(QStringLiteral("image/png"));
        QCOMPARE(QCryptographicHash::hash(read, QCryptographicHash::Sha256).toHex(),
                 QCryptographicHash::hash(png, QCryptographicHash::Sha256).toHex());
        // Our own write is not captured again.
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(recorder->take(), QStringList());
    }

    void aChosenPictureIsReadAhead()
    {
        QFile file(pngFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray png = file.readAll();
        QVERIFY(png.size() > 4096);
        QProcess *owner = xclip(png, QStringLiteral("image/png"));
        QTRY_COMPARE(model->rowCount(), 2);
        Preferences::instance()->waitForBackgroundSave();
        end(owner);
        xclip("something else");
        QTRY_COMPARE(rows().first(), QStringLiteral("something else"));

        // Chosen: the picture is read from its file ahead of any paste (a paste that comes before
        // the read has ended is refused), and kept: once its file has gone, pastes still get it,
        // and so does a new choice of the entry.
        choose(1);
        QTRY_VERIFY_WITH_TIMEOUT(readBack(QStringLiteral("image/png")) == png, 20000);
        const QString stored = Morv::ContentFileStore::filePath(
            QCryptographicHash::hash(png, QCryptographicHash::Sha256).toHex());
        QVERIFY(QFile::rename(stored, stored + QStringLiteral(".away")));
        QVERIFY(readBack(QStringLiteral("image/png")) == png);
        choose(1);
        choose(1);
        QVERIFY(readBack(QStringLiteral("image/png")) == png);
        QVERIFY(readBack(QStringLiteral("TARGETS")).contains("image/png"));
        QVERIFY(QFile::rename(stored + QStringLiteral(".away"), stored));
    }

    void severalFormatsAtOnce()
    {
        QProcess *owner =
            offer({QStringLiteral("text/plain=plain"), QStringLiteral("text/html=<i>rich</i>"),
                   QStringLiteral("MORV_PRIVATE_TARGET=no slash"), QStringLiteral("image/bmp=@") + bmpFile,
                   QStringLiteral("image/x-bmp=@") + bmpFile, QStringLiteral("image/png=@") + pngFile});
        waitUntilReady(owner);
        QTRY_COMPARE(rows().first(), QStringLiteral("plain"));

        const Item item = newestStored();
        QCOMPARE(item.contentType(), Morv::RichText);
        QCOMPARE(item.text(), QStringLiteral("plain"));
        QFile png(pngFile), bmp(bmpFile);
        QVERIFY(png.open(QIODevice::ReadOnly) && bmp.open(QIODevice::ReadOnly));
        QCOMPARE(item.data(QStringLiteral("image/png")), png.readAll());
        QCOMPARE(item.data(QStringLiteral("image/bmp")), bmp.readAll());
        QCOMPARE(item.data(QStringLiteral("text/html")), QByteArray("<i>rich</i>"));
        QVERIFY(!item.formats().contains(QStringLiteral("image/x-bmp")));
        QVERIFY(!item.formats().contains(QStringLiteral("MORV_PRIVATE_TARGET")));
        verifyOnlyMimeTypes(item);

        // The same offer again, apart from what is not kept, is a duplicate of that item.
        xclip("between");
        QTRY_COMPARE(rows().first(), QStringLiteral("between"));
        recorder->take();
        owner = offer({QStringLiteral("text/plain=plain"), QStringLiteral("text/html=<i>rich</i>"),
                       QStringLiteral("MORV_PRIVATE_TARGET=other bytes"),
                       QStringLiteral("image/bmp=@") + bmpFile, QStringLiteral("image/png=@") + pngFile});
        waitUntilReady(owner);
        QTRY_COMPARE(rows().first(), QStringLiteral("plain"));
        QCOMPARE(recorder->take(), QStringList{"move 1 1 to 0"});
        QCOMPARE(rows(), (QStringList{"plain", "between", "start"}));
    }

    void theSelection()
    {
        // Without the platform extensions the selection is not even read: it is no offer.
        setPlatformExtensions(false);
        serve(QStringLiteral("xsel"),
              {QStringLiteral("--nodetach"), QStringLiteral("--primary"), QStringLiteral("--input")},
              "ignored selection");
        QTRY_COMPARE(readBack(QStringLiteral("UTF8_STRING"), QStringLiteral("primary")),
                     QByteArray("ignored selection"));
        xclip("marker");
        QTRY_COMPARE(rows().first(), QStringLiteral("marker"));
        QVERIFY(!rows().contains(QStringLiteral("ignored selection")));
        QVERIFY(!Item(QClipboard::Selection).isValid());

        setPlatformExtensions(true);
        // Switched on, the selection of the moment is captured.
        QTRY_COMPARE(rows().first(), QStringLiteral("ignored selection"));
        serve(QStringLiteral("xsel"),
              {QStringLiteral("--nodetach"), QStringLiteral("--primary"), QStringLiteral("--input")},
              "selected words");
        QTRY_COMPARE(rows().first(), QStringLiteral("selected words"));
        QCOMPARE(model->data(model->index(0), Qt::ToolTipRole).toString(),
                 QStringLiteral("Selection: Plain Text"));
        QCOMPARE(newestStored().mode(), QClipboard::Selection);

        // Chosen again, it goes back to the selection only.
        xclip("newer", QString(), QStringLiteral("primary"));
        QTRY_COMPARE(rows().first(), QStringLiteral("newer"));
        choose(1);
        QCOMPARE(readBack(QStringLiteral("UTF8_STRING"), QStringLiteral("primary")),
                 QByteArray("selected words"));
        QCOMPARE(readBack(QStringLiteral("UTF8_STRING")), QByteArray("marker"));
    }

    void anExitedOwnerLeavesTheNewestItemOfItsClipboard()
    {
        setPlatformExtensions(true);
        xclip("first");
        QTRY_COMPARE(rows().first(), QStringLiteral("first"));
        QProcess *second = xclip("second");
        QTRY_COMPARE(rows().first(), QStringLiteral("second"));
        xclip("selected", QString(), QStringLiteral("primary"));
        QTRY_COMPARE(rows().first(), QStringLiteral("selected"));
        QCOMPARE(rows(), (QStringList{"selected", "second", "first", "start"}));
        recorder->take();

        end(second);
        QTRY_COMPARE(currentRow(), 1);
        QCOMPARE(readBack(QStringLiteral("UTF8_STRING")), QByteArray("second"));
        QCOMPARE(rows(), (QStringList{"selected", "second", "first", "start"}));
        QCOMPARE(recorder->take(), QStringList());
    }

    void secretsStayOutOfTheHistory()
    {
        xclip("before the password");
        QTRY_COMPARE(rows().first(), QStringLiteral("before the password"));
        recorder->take();

        QSignalSpy changes(ClipboardWrap::instance(), &ClipboardWrap::changed);
        QProcess *manager =
            offer({QStringLiteral("text/plain=hunter2"), QStringLiteral("x-kde-passwordManagerHint=secret")});
        waitUntilReady(manager);
        QTRY_VERIFY(!changes.isEmpty() &&
                    Item::isSecret(ClipboardWrap::instance()->mimeData(QClipboard::Clipboard)));
        QCOMPARE(recorder->take(), QStringList());
        QCOMPARE(rows(), (QStringList{"before the password", "start"}));

        // The password manager clears the clipboard by exiting: the text before it comes back.
        end(manager);
        QTRY_COMPARE(readBack(QStringLiteral("UTF8_STRING")), QByteArray("before the password"));
        QCOMPARE(currentRow(), 0);
        const QList<Item> stored = Preferences::instance()->loadHistory();
        QCOMPARE(stored.size(), 2);
        for (const Item &item : stored)
            QVERIFY(!item.content().value(QStringLiteral("text/plain")).contains("hunter2"));
    }
};

QTEST_MAIN(TestClipboardX11)
#include "tst_clipboard_x11.moc"

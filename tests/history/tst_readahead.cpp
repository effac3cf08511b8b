// SPDX-License-Identifier: GPL-2.0-or-later

#include "clipboardwrap.h"
#include "contentfilestore.h"
#include "item.h"
#include "itemmimedata.h"
#include "ksystemclipboard_fake.h"
#include "largecontent.h"
#include "model.h"
#include "noise.h"
#include "readaheadjobs.h"
#include "testenvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QMutex>
#include <QRegularExpression>
#include <QSemaphore>
#include <QTest>

#include <atomic>
#include <memory>
#include <thread>

using Morv::ContentFileStore;
using Morv::Item;
using Morv::LargeContent;
using Morv::Model;
using Morv::Preferences;

namespace {

const QString png = QStringLiteral("image/png");

// Every read of a content file's bytes, with the thread that made it; a test may hold the reads
// at their start (the gate) to see what a paste does meanwhile.
struct FileReads
{
    QMutex mutex;
    QList<std::thread::id> threads; // guarded by the mutex
    std::atomic<bool> gated = false;
    QSemaphore gate;

    static void observe(const QByteArray &)
    {
        FileReads &reads = instance();
        {
            const QMutexLocker locker(&reads.mutex);
            reads.threads.append(std::this_thread::get_id());
        }
        // Never for ever: a read on the GUI thread would hang the test otherwise.
        if (reads.gated)
            reads.gate.tryAcquire(1, 10000);
    }

    static FileReads &instance()
    {
        static FileReads reads;
        return reads;
    }

    QList<std::thread::id> take()
    {
        const QMutexLocker locker(&mutex);
        return std::exchange(threads, {});
    }

    qsizetype count()
    {
        const QMutexLocker locker(&mutex);
        return threads.size();
    }
};

QString filePath(const QByteArray &bytes)
{
    return ContentFileStore::filePath(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

Preferences *preferences()
{
    return Preferences::instance();
}

} // namespace

// What choosing a stored picture costs: its file is read once, ahead of the paste and off the GUI
// thread, and its bytes serve every later paste and choice while the item lives; a paste that
// comes before the read has ended never waits for all of it.
class TestReadAhead : public QObject
{
    Q_OBJECT

    FakeSystemClipboard *fake = nullptr;
    std::unique_ptr<Model> model;
    const QByteArray picture = noise(11, 3 * 1024 * 1024);

    // A model on a stored history: the picture (row 0) and a text (row 1).
    void makeModel()
    {
        preferences()->saveHistory(
            {Item(QClipboard::Clipboard, Morv::Binary, {{png, picture}}),
             Item(QClipboard::Clipboard, Morv::PlainText, {{QStringLiteral("text/plain"), "between"}})});
        preferences()->waitForBackgroundSave();
        model = std::make_unique<Model>();
        QCOMPARE(model->rowCount(), 2);
    }

    // Chooses the row of the picture, wherever it is now.
    const Morv::ItemMimeData *choosePicture()
    {
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->data(model->index(row)).toString().startsWith(QLatin1String("Binary"))) {
                model->indexTriggered(model->index(row));
                return qobject_cast<const Morv::ItemMimeData *>(fake->mimeData(QClipboard::Clipboard));
            }
        }
        return nullptr;
    }

    void chooseText()
    {
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->data(model->index(row)).toString() == QLatin1String("between"))
                model->indexTriggered(model->index(row));
        }
    }

    // Pastes until the read ahead has ended (each paste waits for it half a frame at most).
    static QByteArray pasteWhenRead(const Morv::ItemMimeData *mime, const QString &format)
    {
        QByteArray bytes;
        QElapsedTimer clock;
        clock.start();
        while ((bytes = mime->data(format)).isNull() && mime->hasFormat(format) && clock.elapsed() < 20000)
            QTest::qWait(5);
        return bytes;
    }

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment::setUp();
        fake = FakeSystemClipboard::install();
        LargeContent::setFileReadObserver(&FileReads::observe);
    }

    void init()
    {
        fake->reset();
        TestEnvironment::clearSettings();
        preferences()->waitForBackgroundSave();
        QDir(ContentFileStore::folder()).removeRecursively();
        preferences()->setValue(QStringLiteral("synchronizeHistory"), false);
        FileReads::instance().take();
    }

    void cleanup()
    {
        FileReads &reads = FileReads::instance();
        reads.gated = false;
        reads.gate.release(100);
        model.reset();
        fake->reset();
        QTest::qWait(20);
        while (reads.gate.tryAcquire())
            ;
    }

    void readOnceOffTheGuiThreadForEveryChoice()
    {
        makeModel();
        const Morv::ItemMimeData *mime = choosePicture();
        QVERIFY(mime);
        QCOMPARE(pasteWhenRead(mime, png), picture);
        const QList<std::thread::id> threads = FileReads::instance().take();
        QCOMPARE(threads.size(), 1);
        QVERIFY(threads.first() != std::this_thread::get_id());

        // The file is not needed any more: a text chosen in between, then the picture again, and
        // its bytes are there at once, without a read.
        QVERIFY(QFile::remove(filePath(picture)));
        chooseText();
        mime = choosePicture();
        QVERIFY(mime);
        QCOMPARE(mime->data(png), picture);
        QCOMPARE(FileReads::instance().count(), 0);
    }

    void aPasteBeforeTheReadHasEndedWaitsHalfAFrame()
    {
        makeModel();
        FileReads &reads = FileReads::instance();
        reads.gated = true;
        const Morv::ItemMimeData *mime = choosePicture();
        QVERIFY(mime);
        QTRY_COMPARE(reads.count(), 1);

        // The read is held at its start: a paste gets nothing, at once, and the format stays.
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(mime->data(png), QByteArray());
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(mime->hasFormat(png));

        reads.gate.release();
        QCOMPARE(pasteWhenRead(mime, png), picture);
        QCOMPARE(reads.take().size(), 1);
    }

    void aFileThatCannotGiveItsBytes_data()
    {
        QTest::addColumn<int>("damage");
        QTest::addColumn<QString>("problem");
        QTest::newRow("bytes changed in place") << 0 << "do not match their hash";
        QTest::newRow("gone") << 1 << "missing";
        QTest::newRow("cut short") << 2 << "damaged \\(10 bytes instead of";
    }

    void aFileThatCannotGiveItsBytes()
    {
        QFETCH(int, damage);
        QFETCH(QString, problem);
        makeModel();
        const QString path = filePath(picture);
        if (damage == 0) {
            QByteArray changed = picture;
            changed[changed.size() / 2] = char(~changed.at(changed.size() / 2));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(file.write(changed), changed.size());
        } else if (damage == 1) {
            QVERIFY(QFile::remove(path));
        } else {
            QVERIFY(QFile::resize(path, 10));
        }

        const QRegularExpression warning(
            QStringLiteral("The stored \"image/png\" of a history item cannot be "
                           "given .*%1.*the format is left out")
                .arg(problem));
        QTest::ignoreMessage(QtWarningMsg, warning);
        const Morv::ItemMimeData *mime = choosePicture();
        QVERIFY(mime);
        QCOMPARE(pasteWhenRead(mime, png), QByteArray());
        QVERIFY(!mime->hasFormat(png));
        QCOMPARE(FileReads::instance().take().size(), 1);

        // Said once: neither another paste nor another choice reads it again or warns.
        QTest::failOnWarning(warning);
        QCOMPARE(mime->data(png), QByteArray());
        chooseText();
        mime = choosePicture();
        QVERIFY(mime);
        QCOMPARE(mime->data(png), QByteArray());
        QVERIFY(mime->formats().isEmpty());
        QCOMPARE(FileReads::instance().count(), 0);
    }

    void theBytesGoWithTheItem()
    {
        makeModel();
        const Morv::ItemMimeData *mime = choosePicture();
        QVERIFY(mime);
        QCOMPARE(pasteWhenRead(mime, png), picture);
        QVERIFY(readAheadJobsEnded());

        // Another program copies, and the history forgets the picture: nothing holds its bytes
        // any more, so its content file is unused and goes with the next removal.
        fake->simulateCopy(QStringLiteral("other"));
        QCoreApplication::processEvents();
        model->clearHistory();
        preferences()->saveHistory({});
        preferences()->waitForBackgroundSave();
        QVERIFY(!QFile::exists(filePath(picture)));
    }
};

QTEST_MAIN(TestReadAhead)
#include "tst_readahead.moc"

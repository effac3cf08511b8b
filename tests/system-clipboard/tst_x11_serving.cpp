// SPDX-License-Identifier: GPL-2.0-or-later

#include "ksystemclipboard_x11.h"
#include "shellcommand.h"
#include "testenvironment.h"
#include "x11owners.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace {

// How long a program pasting our content may read nothing here: short, so that the tests of
// stalled pasters are quick.
constexpr int writeTimeout = 2000;

// Warnings as they arrive, passed on to QtTest.
QStringList warnings;
QtMessageHandler testHandler = nullptr;

void recordWarning(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg)
        warnings.append(message);
    testHandler(type, context, message);
}

// Another program pasting, straight on xcb, so that it can ask for any target, read an INCR
// transfer piece by piece, stop reading or vanish in the middle.
class Requestor
{
public:
    struct Answer
    {
        bool converted = false; // the owner answered with a property
        xcb_atom_t type = XCB_NONE;
        int format = 0;
        QByteArray bytes;
    };

    Requestor()
        : connection(xcb_connect(nullptr, nullptr))
    {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        window = xcb_generate_id(connection);
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
        property = atom("MORV_TEST_PASTE");
    }

    ~Requestor() { die(); }

    Requestor(const Requestor &) = delete;
    Requestor &operator=(const Requestor &) = delete;

    xcb_window_t id() const { return window; }

    xcb_atom_t atom(const QByteArray &name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, false, uint16_t(name.size()), name.constData()), nullptr);
        const xcb_atom_t value = reply ? reply->atom : XCB_NONE;
        std::free(reply);
        return value;
    }

    QByteArray name(xcb_atom_t value)
    {
        xcb_get_atom_name_reply_t *reply =
            xcb_get_atom_name_reply(connection, xcb_get_atom_name(connection, value), nullptr);
        const QByteArray text =
            reply ? QByteArray(xcb_get_atom_name_name(reply), xcb_get_atom_name_name_length(reply))
                  : QByteArray();
        std::free(reply);
        return text;
    }

    // Asks for a target and reads the answer (deleting it, which starts an INCR transfer).
    Answer ask(const QByteArray &target, const QByteArray &selection = "CLIPBOARD")
    {
        xcb_convert_selection(connection, window, atom(selection), atom(target), property, XCB_CURRENT_TIME);
        xcb_flush(connection);
        Answer answer;
        xcb_generic_event_t *event = waitFor(XCB_SELECTION_NOTIFY);
        if (!event)
            return answer;
        answer.converted = reinterpret_cast<xcb_selection_notify_event_t *>(event)->property != XCB_NONE;
        std::free(event);
        if (answer.converted)
            read(&answer);
        return answer;
    }

    // The next piece of an INCR transfer; null when none comes within the time.
    QByteArray nextPiece(int timeout = 5000)
    {
        for (;;) {
            xcb_generic_event_t *event = waitFor(XCB_PROPERTY_NOTIFY, timeout);
            if (!event)
                return QByteArray();
            const auto *notify = reinterpret_cast<xcb_property_notify_event_t *>(event);
            const bool newValue = notify->atom == property && notify->state == XCB_PROPERTY_NEW_VALUE;
            std::free(event);
            Answer piece;
            if (newValue && read(&piece))
                return piece.bytes.isNull() ? QByteArray("") : piece.bytes;
        }
    }

    // Sets the list of (target, property) pairs for a MULTIPLE request.
    void setPairs(const QList<QByteArray> &targets)
    {
        QList<xcb_atom_t> pairs;
        for (qsizetype i = 0; i < targets.size(); ++i)
            pairs << atom(targets.at(i)) << atom("MORV_TEST_PAIR_" + QByteArray::number(i));
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, atom("ATOM_PAIR"), 32,
                            uint32_t(pairs.size()), pairs.constData());
    }

    Answer readProperty(const QByteArray &name)
    {
        Answer answer;
        const xcb_atom_t saved = std::exchange(property, atom(name));
        answer.converted = read(&answer);
        property = saved;
        return answer;
    }

    // The program ends: its window goes with its connection.
    void die()
    {
        if (connection)
            xcb_disconnect(connection);
        connection = nullptr;
    }

private:
    xcb_generic_event_t *waitFor(uint8_t type, int timeout = 5000)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeout) {
            xcb_generic_event_t *event = xcb_poll_for_event(connection);
            if (!event) {
                usleep(1000);
                continue;
            }
            if ((event->response_type & 0x7f) == type)
                return event;
            std::free(event);
        }
        return nullptr;
    }

    bool read(Answer *answer)
    {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            connection,
            xcb_get_property(connection, true, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 26),
            nullptr);
        if (!reply)
            return false;
        answer->type = reply->type;
        answer->format = reply->format;
        answer->bytes = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                                   xcb_get_property_value_length(reply));
        std::free(reply);
        xcb_flush(connection);
        return answer->type != XCB_NONE;
    }

    xcb_connection_t *connection;
    xcb_window_t window = XCB_NONE;
    xcb_atom_t property = XCB_NONE;
};

} // namespace

// Our own content served to other programs on the reader's thread: every target as Qt's clipboard
// gives it, INCR transfers to several programs at once while the GUI thread is busy, pasters that
// stall or vanish, a paste into this very process through QClipboard, and the hand-over to a
// clipboard manager at exit.
class TestX11Serving : public QObject
{
    Q_OBJECT

    KSystemClipboard *clipboard = nullptr;
    SelectionProbe probe;
    QTemporaryDir files;

    // Puts content of ours on a selection and waits until the reader's thread owns it.
    void write(const QList<QPair<QString, QByteArray>> &formats,
               QClipboard::Mode mode = QClipboard::Clipboard, KSystemClipboard *target = nullptr)
    {
        auto *mime = new QMimeData;
        for (const auto &[format, bytes] : formats)
            mime->setData(format, bytes);
        const QByteArray marker = "MORV_TEST_MARKER_" + QByteArray::number(++writes);
        mime->setData(QString::fromLatin1(marker), marker);
        (target ? target : clipboard)->setMimeData(mime, mode);
        // Owned once the marker can be pasted.
        const QString selection =
            mode == QClipboard::Clipboard ? QStringLiteral("clipboard") : QStringLiteral("primary");
        QTRY_COMPARE(
            ShellCommand::run(
                QStringLiteral("xclip -o -selection %1 -t %2").arg(selection, QString::fromLatin1(marker)))
                .value_or(QByteArray()),
            marker);
    }

    int writes = 0;

    // xclip pasting into a file, started now.
    QProcess *paste(const QString &file, const QString &selection = QStringLiteral("clipboard"),
                    const QString &target = QStringLiteral("UTF8_STRING"))
    {
        auto *process = new QProcess(this);
        process->setStandardOutputFile(file);
        process->start(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                                 selection, QStringLiteral("-t"), target});
        return process;
    }

    static QByteArray fileHash(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? ShellCommand::sha256(file.readAll()) : QByteArray();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        TestEnvironment::setUp();
        QVERIFY(files.isValid());
        QVERIFY(probe.isValid());
        testHandler = qInstallMessageHandler(recordWarning);
        KSystemClipboard::setInstance(
            X11SystemClipboard::create(X11SystemClipboard::ReaderThread::Own, writeTimeout));
        clipboard = KSystemClipboard::instance();
        QVERIFY(qobject_cast<X11SystemClipboard *>(clipboard));
    }

    void init() { warnings.clear(); }

    void cleanup()
    {
        for (QProcess *process : findChildren<QProcess *>()) {
            process->kill();
            process->waitForFinished();
            delete process;
        }
    }

    // Each target as Qt's xcb clipboard answers it; what we do not have is refused.
    void targetsAreConvertedAsQtConvertsThem_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<bool>("converted");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray utf8 = "caf\xc3\xa9 \xe2\x82\xac";
        QTest::newRow("UTF8_STRING") << QByteArray("UTF8_STRING") << true << QByteArray("UTF8_STRING")
                                     << utf8;
        QTest::newRow("STRING is Latin-1")
            << QByteArray("STRING") << true << QByteArray("STRING") << QByteArray("caf\xe9 ?");
        QTest::newRow("TEXT is Latin-1 too")
            << QByteArray("TEXT") << true << QByteArray("STRING") << QByteArray("caf\xe9 ?");
        QTest::newRow("text/plain") << QByteArray("text/plain") << true << QByteArray("text/plain") << utf8;
        QTest::newRow("HTML as it is")
            << QByteArray("text/html") << true << QByteArray("text/html") << QByteArray("<b>caf\xc3\xa9</b>");
        QTest::newRow("a URL list") << QByteArray("text/uri-list") << true << QByteArray("text/uri-list")
                                    << QByteArray("file:///a%20b\r\nfile:///c\r\n");
        const QString firstLink = QStringLiteral("file:///a%20b\r\n");
        QTest::newRow("the first link as Mozilla's URL, in UTF-16")
            << QByteArray("text/x-moz-url") << true << QByteArray("text/x-moz-url")
            << QByteArray(reinterpret_cast<const char *>(firstLink.utf16()), firstLink.size() * 2);
        QTest::newRow("a format we do not have")
            << QByteArray("image/png") << false << QByteArray() << QByteArray();
        QTest::newRow("a target no one has")
            << QByteArray("COMPOUND_TEXT") << false << QByteArray() << QByteArray();
        QTest::newRow("SAVE_TARGETS is for managers")
            << QByteArray("SAVE_TARGETS") << false << QByteArray() << QByteArray();
    }

    void targetsAreConvertedAsQtConvertsThem()
    {
        QFETCH(QByteArray, target);
        QFETCH(bool, converted);
        QFETCH(QByteArray, type);
        QFETCH(QByteArray, bytes);
        write({{QStringLiteral("text/plain"), "caf\xc3\xa9 \xe2\x82\xac"},
               {QStringLiteral("text/html"), "<b>caf\xc3\xa9</b>"},
               {QStringLiteral("text/uri-list"), "file:///a%20b\r\nfile:///c\r\n"}});
        Requestor paster;
        const Requestor::Answer answer = paster.ask(target);
        QCOMPARE(answer.converted, converted);
        if (!converted)
            return;
        QCOMPARE(paster.name(answer.type), type);
        QCOMPARE(answer.format, 8);
        QCOMPARE(answer.bytes, bytes);
    }

    void theProtocolTargets()
    {
        write({{QStringLiteral("text/plain"), "words"}, {QStringLiteral("image/png"), "not really a PNG"}});
        Requestor paster;
        const Requestor::Answer targets = paster.ask("TARGETS");
        QVERIFY(targets.converted);
        QCOMPARE(paster.name(targets.type), QByteArray("ATOM"));
        QByteArrayList names;
        const auto *atoms = reinterpret_cast<const xcb_atom_t *>(targets.bytes.constData());
        for (qsizetype i = 0; i < targets.bytes.size() / 4; ++i)
            names.append(paster.name(atoms[i]));
        QCOMPARE(names, (QByteArrayList{"text/plain", "UTF8_STRING", "STRING", "TEXT", "image/png",
                                        "MORV_TEST_MARKER_" + QByteArray::number(writes), "TARGETS",
                                        "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS"}));

        const Requestor::Answer timestamp = paster.ask("TIMESTAMP");
        QVERIFY(timestamp.converted);
        QCOMPARE(paster.name(timestamp.type), QByteArray("INTEGER"));
        QCOMPARE(timestamp.bytes.size(), 4);
        QVERIFY(*reinterpret_cast<const quint32 *>(timestamp.bytes.constData()) != 0);

        // Several at once; the one refused gets None in its pair.
        paster.setPairs({"UTF8_STRING", "text/html", "image/png"});
        const Requestor::Answer multiple = paster.ask("MULTIPLE");
        QVERIFY(multiple.converted);
        const auto *pairs = reinterpret_cast<const xcb_atom_t *>(multiple.bytes.constData());
        QCOMPARE(multiple.bytes.size(), 6 * 4);
        QCOMPARE(pairs[1], paster.atom("MORV_TEST_PAIR_0"));
        QCOMPARE(pairs[3], xcb_atom_t(XCB_NONE));
        QCOMPARE(pairs[5], paster.atom("MORV_TEST_PAIR_2"));
        QCOMPARE(paster.readProperty("MORV_TEST_PAIR_0").bytes, QByteArray("words"));
        QCOMPARE(paster.readProperty("MORV_TEST_PAIR_2").bytes, QByteArray("not really a PNG"));
    }

    // Served on the reader's thread: the pastes end while the GUI thread does nothing for them.
    void largePastesGoIncrementallyWhileTheGuiThreadIsBusy_data()
    {
        QTest::addColumn<QClipboard::Mode>("mode");
        QTest::addColumn<int>("pasters");
        QTest::newRow("clipboard, one paster") << QClipboard::Clipboard << 1;
        QTest::newRow("clipboard, two pasters at once") << QClipboard::Clipboard << 2;
        QTest::newRow("primary selection, two pasters at once") << QClipboard::Selection << 2;
    }

    void largePastesGoIncrementallyWhileTheGuiThreadIsBusy()
    {
        QFETCH(QClipboard::Mode, mode);
        QFETCH(int, pasters);
        const QByteArray text = pattern(40 * 1000 * 1000, pasters);
        write({{QStringLiteral("text/plain"), text}}, mode);
        QList<QProcess *> processes;
        for (int i = 0; i < pasters; ++i)
            processes.append(paste(files.filePath(QStringLiteral("pasted-%1").arg(i)),
                                   mode == QClipboard::Clipboard ? QStringLiteral("clipboard")
                                                                 : QStringLiteral("primary")));
        // Waited for without the event loop: nothing on this thread serves them.
        for (QProcess *process : std::as_const(processes)) {
            QVERIFY(process->waitForFinished(60000));
            QCOMPARE(process->exitCode(), 0);
        }
        for (int i = 0; i < pasters; ++i)
            QCOMPARE(fileHash(files.filePath(QStringLiteral("pasted-%1").arg(i))),
                     ShellCommand::sha256(text));
    }

    // The event loop runs while 100 MB go out. Generous for a loaded machine and the sanitizer
    // build; the figure is bench-paste's. (That the GUI thread does nothing for a paste at all is
    // shown above: the pastes end while it is blocked.)
    void aHundredMegabytePasteDoesNotStallTheGuiThread()
    {
        const QByteArray picture = pattern(100 * 1000 * 1000, 7);
        write({{QStringLiteral("image/png"), picture}});
        QProcess *process = paste(files.filePath(QStringLiteral("picture")), QStringLiteral("clipboard"),
                                  QStringLiteral("image/png"));
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        qint64 longest = 0;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        connect(&ticker, &QTimer::timeout, this, [&] {
            longest = qMax(longest, clock.elapsed() - last);
            last = clock.elapsed();
        });
        ticker.start(1);
        QSignalSpy finished(process, &QProcess::finished);
        QVERIFY(finished.wait(60000));
        QCOMPARE(fileHash(files.filePath(QStringLiteral("picture"))), ShellCommand::sha256(picture));
        QVERIFY2(longest < 250, qPrintable(QString::number(longest)));
        qInfo("longest stall while 100 MB were pasted: %lld ms", longest);
    }

    // A program that stops reading is given up after the write time-out; one that vanishes, at
    // once (its window's end is seen); neither disturbs the next paste.
    void pastersThatStallOrVanishAreLetGo_data()
    {
        QTest::addColumn<bool>("vanishes");
        QTest::newRow("stops reading") << false;
        QTest::newRow("vanishes in the middle") << true;
    }

    void pastersThatStallOrVanishAreLetGo()
    {
        QFETCH(bool, vanishes);
        const QByteArray text = pattern(10 * 1000 * 1000, 3);
        write({{QStringLiteral("text/plain"), text}});
        auto paster = std::make_unique<Requestor>();
        const Requestor::Answer incr = paster->ask("UTF8_STRING");
        QVERIFY(incr.converted);
        QCOMPARE(paster->name(incr.type), QByteArray("INCR"));
        QByteArray received;
        for (int piece = 0; piece < 3; ++piece)
            received += paster->nextPiece();
        QVERIFY(text.startsWith(received) && received.size() > 0);
        const QString givenUp =
            QStringLiteral("The program pasting into window 0x%1 read nothing for %2 ms: its "
                           "paste is given up")
                .arg(paster->id(), 0, 16)
                .arg(writeTimeout);
        if (vanishes) {
            paster->die();
            QTest::qWait(writeTimeout + 1500);
            QVERIFY2(!warnings.contains(givenUp), qPrintable(warnings.join(QLatin1Char('|'))));
        } else {
            // The piece sent after the last read stays unread.
            QTest::ignoreMessage(QtWarningMsg, qPrintable(givenUp));
            QTRY_VERIFY_WITH_TIMEOUT(warnings.contains(givenUp), writeTimeout + 3000);
            // Reading on gets nothing more: the transfer has ended.
            paster->nextPiece(100);
            QVERIFY(paster->nextPiece(1000).isNull());
        }
        QCOMPARE(ShellCommand::run(QStringLiteral("xclip -o -selection clipboard | sha256sum | cut -c1-64"))
                     .value_or(QByteArray())
                     .trimmed(),
                 ShellCommand::sha256(text));
    }

    // Qt's clipboard of this very process asks the reader's thread like any other program, and
    // waits for it on the GUI thread: no deadlock, INCR included.
    void thisProcessPastesThroughQClipboard_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::newRow("a few words") << qsizetype(20);
        QTest::newRow("8 MB, INCR") << qsizetype(8 * 1000 * 1000);
    }

    void thisProcessPastesThroughQClipboard()
    {
        QFETCH(qsizetype, size);
        const QByteArray text = pattern(size, 11);
        write({{QStringLiteral("text/plain"), text}, {QStringLiteral("text/html"), "<i>html</i>"}});
        QElapsedTimer clock;
        clock.start();
        const QMimeData *qt = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
        QVERIFY(qt);
        QCOMPARE(qt->text().toUtf8(), text);
        QCOMPARE(qt->html(), QStringLiteral("<i>html</i>"));
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    }

    void anEmptiedSelectionIsLetGo()
    {
        write({{QStringLiteral("text/plain"), "going"}});
        QVERIFY(probe.clipboardOwner() != XCB_NONE);
        QSignalSpy changes(clipboard, &KSystemClipboard::changed);
        clipboard->setMimeData(nullptr, QClipboard::Clipboard);
        QTRY_COMPARE(probe.clipboardOwner(), xcb_window_t(XCB_NONE));
        // Our own change: not reported.
        QVERIFY(!changes.wait(500));
        QVERIFY(clipboard->mimeData(QClipboard::Clipboard)->formats().isEmpty());
    }

    // At exit a clipboard manager gets our clipboard, if the desktop has one; the exit waits for
    // it a bounded time, and not at all without one.
    void theClipboardIsHandedToAManagerAtExit_data()
    {
        QTest::addColumn<QString>("manager");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<int>("slowest");
        QTest::newRow("a manager") << QStringLiteral("sound") << true << 2000;
        QTest::newRow("a manager that does not answer") << QStringLiteral("silent") << false << 4500;
        QTest::newRow("no manager") << QString() << false << 500;
    }

    void theClipboardIsHandedToAManagerAtExit()
    {
        QFETCH(QString, manager);
        QFETCH(bool, saved);
        QFETCH(int, slowest);
        std::unique_ptr<OwnerProcess> managerProcess;
        if (!manager.isEmpty()) {
            managerProcess = std::make_unique<OwnerProcess>();
            managerProcess->start(QStringLiteral(CLIPBOARD_MANAGER),
                                  manager == QLatin1String("silent") ? QStringList{QStringLiteral("--silent")}
                                                                     : QStringList());
            QVERIFY(managerProcess->waitUntilOwning());
        }
        std::unique_ptr<X11SystemClipboard> exiting = X11SystemClipboard::create();
        const QByteArray large = pattern(1000 * 1000, 5);
        write({{QStringLiteral("text/plain"), "kept after the exit"},
               {QStringLiteral("application/x-morv-large"), large}},
              QClipboard::Clipboard, exiting.get());
        if (manager == QLatin1String("silent"))
            QTest::ignoreMessage(QtWarningMsg,
                                 "The clipboard manager did not take the clipboard over within 3000 ms: "
                                 "the clipboard may be empty once morv-clip has ended");
        QElapsedTimer clock;
        clock.start();
        exiting.reset();
        QVERIFY2(clock.elapsed() < slowest, qPrintable(QString::number(clock.elapsed())));
        if (!saved) {
            QTRY_COMPARE(probe.clipboardOwner(), xcb_window_t(XCB_NONE));
            return;
        }
        QTRY_VERIFY2((managerProcess->collect(), managerProcess->output.contains("took the clipboard")),
                     managerProcess->output.constData());
        QVERIFY2(managerProcess->output.contains("saved UTF8_STRING 19 "),
                 managerProcess->output.constData());
        QVERIFY(managerProcess->output.contains("saved application/x-morv-large 1000000 " +
                                                ShellCommand::sha256(large)));
        QCOMPARE(ShellCommand::run(QStringLiteral("xclip -o -selection clipboard")).value_or(QByteArray()),
                 QByteArray("kept after the exit"));
    }
};

QTEST_MAIN(TestX11Serving)
#include "tst_x11_serving.moc"

// SPDX-License-Identifier: GPL-2.0-or-later

#include "desktop.h"
#include "x11owners.h"

#include <QElapsedTimer>

#include <memory>
#include <vector>

using namespace Desktop;

namespace {

// A copy made with `xclip -verbose`, which stays in the foreground and tells on its standard output
// how many requests for its content it has answered: "Waiting for selection request number 2"
// means one program has read the text.
class VerboseCopy
{
public:
    explicit VerboseCopy(const QByteArray &text)
    {
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("xclip"), {QStringLiteral("-verbose"), QStringLiteral("-selection"),
                                                QStringLiteral("clipboard")});
        process.write(text);
        process.closeWriteChannel();
    }

    ~VerboseCopy()
    {
        process.kill();
        process.waitForFinished();
    }

    bool hasBeenRead()
    {
        output += process.readAll();
        return output.contains("request number 2");
    }

private:
    QProcess process;
    QByteArray output;
};

} // namespace

// Copies made while the program starts, as when a session restores its clipboard or a script copies
// while the applet autostarts: none of them may stop the capture of the copies that follow, and no
// half-read copy may enter the history.
class TestE2eStartupCopies : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void copiesDuringStartUpLeaveTheCaptureWorking_data()
    {
        QTest::addColumn<int>("interval");
        // Each pace repeated: the race depends on where the applet's start-up is when a copy comes.
        for (int round = 1; round <= 2; ++round) {
            for (int interval : {200, 30}) {
                const QByteArray name =
                    "every " + QByteArray::number(interval) + " ms, round " + QByteArray::number(round);
                QTest::newRow(name.constData()) << interval;
            }
        }
    }

    void copiesDuringStartUpLeaveTheCaptureWorking()
    {
        QFETCH(int, interval);
        removeSettings();

        Applet applet;
        QVERIFY(applet.start());
        // From the instant it starts, copy after copy until the applet has read one of them.
        std::vector<std::unique_ptr<VerboseCopy>> startUpCopies;
        QElapsedTimer sinceStart;
        sinceStart.start();
        const auto oneRead = [&startUpCopies] {
            for (const auto &copy : startUpCopies) {
                if (copy->hasBeenRead())
                    return true;
            }
            return false;
        };
        while (!oneRead()) {
            QVERIFY2(sinceStart.elapsed() < deadline, "the applet read none of the copies made at its start");
            startUpCopies.push_back(std::make_unique<VerboseCopy>(
                "start-up copy " + QByteArray::number(qulonglong(startUpCopies.size()))));
            QTest::qWait(interval);
        }
        QTest::qWait(3000);

        // Each copy's xclip ends by itself when the next one takes the clipboard: the clipboard is
        // never emptied meanwhile.
        QStringList copied;
        std::vector<std::unique_ptr<VerboseCopy>> laterCopies;
        for (int i = 1; i <= 20; ++i) {
            const QByteArray text = "later copy " + QByteArray::number(i);
            laterCopies.push_back(std::make_unique<VerboseCopy>(text));
            VerboseCopy &copy = *laterCopies.back();
            QVERIFY2(waitUntil([&copy] { return copy.hasBeenRead(); }),
                     qPrintable(QStringLiteral("the applet never read \"%1\"").arg(QString::fromUtf8(text))));
            QTest::qWait(50);
            copied.prepend(QString::fromUtf8(text));
        }

        // The ten newest copies, newest first, all with their text.
        const QStringList expected = copied.mid(0, 10);
        QVERIFY2(
            waitUntil([&expected] { return storedTexts() == expected; }),
            qPrintable(QStringLiteral("stored: \"%1\"").arg(storedTexts().join(QLatin1String("\", \"")))));
        for (const Morv::Item &item : storedHistory())
            QVERIFY(!item.content().value(QStringLiteral("text/plain")).isNull());
        QCOMPARE(applet.stop(), 0);
    }

    // Other programs hand us times of their own choosing, which may be ahead of the server's clock
    // (a clock of their own, a bug): a paste of our content, a tray host's XEmbed message. Qt takes
    // such times as its own. Neither our later writes nor the copies made after them may depend on
    // them: the restore owns the clipboard, the next copy is taken.
    void aTimeAheadOfTheServerLeavesWritesAndCaptureWorking_data()
    {
        QTest::addColumn<QString>("from");
        QTest::newRow("a paste") << QStringLiteral("paste");
        QTest::newRow("the tray host") << QStringLiteral("tray");
    }

    void aTimeAheadOfTheServerLeavesWritesAndCaptureWorking()
    {
        QFETCH(QString, from);
        removeSettings();
        Applet applet;
        QVERIFY(applet.startAndWait());
        SelectionProbe probe;
        QVERIFY(probe.isValid());

        // Copied, then its owner quits: the applet puts it back and owns the clipboard.
        const auto copyAndQuit = [](const QByteArray &text) {
            OwnerProcess owner;
            owner.start(QStringLiteral("xclip"), {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                                                  QStringLiteral("clipboard")});
            owner.write(text);
            owner.closeWriteChannel();
            return waitUntil([&text] { return storedTexts().value(0) == QString::fromUtf8(text); });
        };
        QVERIFY(copyAndQuit("first"));
        QVERIFY2(waitUntil([] { return paste() == "first"; }), "the emptied clipboard was not restored");

        const quint32 tenMinutes = 10 * 60 * 1000;
        if (from == QLatin1String("paste")) {
            QVERIFY2(probe.askAhead(QByteArrayLiteral("UTF8_STRING"), tenMinutes),
                     "the paste was not answered");
        } else {
            const QString icon = trayIconWindow();
            QVERIFY(!icon.isEmpty());
            QVERIFY(probe.sendXEmbedAhead(icon.toUInt(), tenMinutes));
        }

        QVERIFY(copyAndQuit("second"));
        QVERIFY2(waitUntil([] { return paste() == "second"; }),
                 "after a time ahead of the server, the restore no longer owns the clipboard");
        QVERIFY2(copyAndWait("third"), "after a time ahead of the server, a copy is no longer taken");
        QCOMPARE(storedTexts().mid(0, 3),
                 QStringList({QStringLiteral("third"), QStringLiteral("second"), QStringLiteral("first")}));
        QCOMPARE(applet.stop(), 0);
    }
};

QTEST_GUILESS_MAIN(TestE2eStartupCopies)

#include "tst_e2e_startup_copies.moc"

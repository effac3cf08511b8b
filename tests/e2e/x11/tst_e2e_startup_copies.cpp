// SPDX-License-Identifier: GPL-2.0-or-later

#include "desktop.h"

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
};

QTEST_GUILESS_MAIN(TestE2eStartupCopies)

#include "tst_e2e_startup_copies.moc"

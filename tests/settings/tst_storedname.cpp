// SPDX-License-Identifier: GPL-2.0-or-later

#include "storedtext.h"
#include "testenvironment.h"

#include <QProcess>
#include <QTest>
#include <optional>

using namespace StoredText;

// The type name in stored contents, across real processes: QSettings would store an alias of the
// content type instead of its own name as soon as one is registered, and which alias changes from
// run to run, so one process proves little.
class TestStoredName : public QObject
{
    Q_OBJECT

private:
    // Runs the helper; its standard output, or nothing when it failed.
    static std::optional<QByteArray> run(const QStringList &arguments, QByteArray *errors = nullptr)
    {
        QProcess helper;
        helper.start(QStringLiteral(STOREDNAME_HELPER), arguments);
        if (!helper.waitForFinished(30000) || helper.exitStatus() != QProcess::NormalExit ||
            helper.exitCode() != 0) {
            qWarning("helper %s failed: %s", qPrintable(arguments.join(QLatin1Char(' '))),
                     helper.readAllStandardError().constData());
            return std::nullopt;
        }
        if (errors)
            *errors = helper.readAllStandardError();
        return helper.readAllStandardOutput();
    }

    static QByteArray storedName()
    {
        QFile file(TestEnvironment::settingsFile());
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray();
        const QByteArray text = unescape(rawValue(file.readAll(), "dynamic", "items\\1\\content"));
        if (!text.startsWith("@Variant(") || text.size() < 17)
            return QByteArray();
        // After "@Variant(": the variant type, the name's length, the zero-terminated name.
        const quint32 length = qFromBigEndian<quint32>(text.constData() + 13);
        return text.mid(17, qMin<qsizetype>(length, text.size() - 17)).chopped(1);
    }

private Q_SLOTS:
    void initTestCase() { TestEnvironment::setUp(); }

    void everyRunStoresTheTypesOwnName()
    {
        for (int i = 0; i < 8; ++i) {
            const QString text = QStringLiteral("run %1").arg(i);
            const QString command = i % 2 ? QStringLiteral("save-after-aliases") : QStringLiteral("save");
            QVERIFY(run({command, text}));
            QCOMPARE(storedName(), QByteArray("QHash<QString,QByteArray>"));
            QCOMPARE(run({QStringLiteral("load")}), std::optional<QByteArray>(text.toUtf8() + '\n'));
        }
    }

    void anotherAliasIsReported()
    {
        // Nothing can keep QSettings from using an alias nobody foresaw; the save says so.
        QByteArray errors;
        QVERIFY(run({QStringLiteral("save-after-foreign-alias"), QStringLiteral("x")}, &errors));
        QVERIFY2(errors.contains("Clipboard contents are being stored as \"Morv::Content\" instead of "
                                 "\"QHash<QString,QByteArray>\""),
                 errors.constData());
        QCOMPARE(storedName(), QByteArray("Morv::Content"));
    }
};

QTEST_GUILESS_MAIN(TestStoredName)
#include "tst_storedname.moc"

// SPDX-License-Identifier: GPL-2.0-or-later

#include "translator.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTest>

class TestTranslator : public QObject
{
    Q_OBJECT

private:
    static QString clipboardText() { return QCoreApplication::translate("TranslatorTest", "Clipboard"); }

private Q_SLOTS:
    void aMissingCatalogueIsHarmless()
    {
        qputenv("MORV_TRANSLATIONS_DIR", TEST_CATALOGUE_DIR);
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        QVERIFY(!Morv::Translator::translateApplication(QStringLiteral("translatortest")));
        QVERIFY(!Morv::Translator::translateApplication(QStringLiteral("no-such-catalogue")));
        QCOMPARE(clipboardText(), QStringLiteral("Clipboard"));
    }

    void aGermanLocaleGetsTheGermanCatalogue()
    {
        qputenv("MORV_TRANSLATIONS_DIR", TEST_CATALOGUE_DIR);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QVERIFY(Morv::Translator::translateApplication(QStringLiteral("translatortest")));
        QCOMPARE(clipboardText(), QStringLiteral("Zwischenablage"));
    }

    void theProgramsOwnCatalogueIsSearchedInstalledThenInTheBuildTree()
    {
        qunsetenv("MORV_TRANSLATIONS_DIR");
        const QStringList paths = Morv::Translator::searchPaths();
        QCOMPARE(paths.size(), 2);
        QVERIFY(paths.at(0).endsWith(QLatin1String("/morv-clip/translations")));
        QCOMPARE(paths.at(1), QStringLiteral(MORV_BINARY_DIR "/translations"));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QVERIFY(QFile::exists(paths.at(1) + QStringLiteral("/morv-clip_de.qm")));
        QVERIFY(Morv::Translator::translateApplication(QStringLiteral("morv-clip")));
    }
};

QTEST_GUILESS_MAIN(TestTranslator)
#include "tst_translator.moc"

// SPDX-License-Identifier: GPL-2.0-or-later

// The program's own catalogues, as shipped: each one is complete, compiled, found for its locale, and keeps
// in every translation what the program substitutes (%1) or Qt interprets (accelerators, rich text).

#include "translator.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTest>
#include <QTranslator>
#include <QXmlStreamReader>

namespace {

// The shipped languages and the word each one has for "Clipboard".
const QList<std::pair<QString, QString>> clipboardByLanguage = {
    {QStringLiteral("cs"), QStringLiteral("Schránka")},
    {QStringLiteral("de"), QStringLiteral("Zwischenablage")},
    {QStringLiteral("es"), QStringLiteral("Portapapeles")},
    {QStringLiteral("fr"), QStringLiteral("Presse-papiers")},
    {QStringLiteral("it"), QStringLiteral("Appunti")},
    {QStringLiteral("ja"), QStringLiteral("クリップボード")},
    {QStringLiteral("nl"), QStringLiteral("Klembord")},
    {QStringLiteral("pl"), QStringLiteral("Schowek")},
    {QStringLiteral("pt_BR"), QStringLiteral("Área de transferência")},
    {QStringLiteral("ru"), QStringLiteral("Буфер обмена")},
    {QStringLiteral("zh_CN"), QStringLiteral("剪贴板")},
};

const QString sourceDir = QStringLiteral(MORV_SOURCE_DIR "/translations");
const QString compiledDir = QStringLiteral(MORV_BINARY_DIR "/translations");

struct Message
{
    QString context;
    QString source;
    QStringList translations; // one, or one per plural form
    QString type;             // "unfinished", "vanished", "obsolete" or empty
};

QList<Message> readCatalogue(const QString &path)
{
    QList<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString context;
    Message message;
    bool numerus = false;
    while (!xml.atEnd()) {
        xml.readNext();
        const auto name = xml.name();
        if (xml.isEndElement() && name == QLatin1String("message")) {
            messages << message;
            continue;
        }
        if (!xml.isStartElement())
            continue;
        if (name == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (name == QLatin1String("message")) {
            message = Message{context, {}, {}, {}};
            numerus = xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
        } else if (name == QLatin1String("source")) {
            message.source = xml.readElementText();
        } else if (name == QLatin1String("translation")) {
            message.type = xml.attributes().value(QLatin1String("type")).toString();
            if (!numerus)
                message.translations << xml.readElementText();
        } else if (name == QLatin1String("numerusform")) {
            message.translations << xml.readElementText();
        }
    }
    if (xml.hasError()) {
        qWarning("%s: %s", qPrintable(path), qPrintable(xml.errorString()));
        return {};
    }
    return messages;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

QStringList matches(const QRegularExpression &pattern, const QString &text)
{
    QStringList found;
    for (const QRegularExpressionMatch &match : pattern.globalMatch(text))
        found << match.captured();
    return found;
}

bool isCjk(QChar c)
{
    return c.script() == QChar::Script_Han || c.script() == QChar::Script_Hiragana ||
           c.script() == QChar::Script_Katakana;
}

// The positions of the accelerator marks: an ampersand before anything but a blank or another
// ampersand ("&&" is a literal ampersand; so is one before a blank, as in "clipboard & PSE").
QList<qsizetype> acceleratorMarks(const QString &text)
{
    QList<qsizetype> marks;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != u'&')
            continue;
        if (text.at(i + 1) == u'&')
            ++i;
        else if (!text.at(i + 1).isSpace())
            marks << i;
    }
    return marks;
}

QString leadingBlanks(const QString &text)
{
    qsizetype n = 0;
    while (n < text.size() && text.at(n).isSpace())
        ++n;
    return text.left(n);
}

QString trailingBlanks(const QString &text)
{
    qsizetype n = 0;
    while (n < text.size() && text.at(text.size() - 1 - n).isSpace())
        ++n;
    return text.right(n);
}

// Each line break, with whether the next line begins with a blank.
QString lineLayout(const QString &text)
{
    QString layout;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 1; i < lines.size(); ++i)
        layout += lines.at(i).startsWith(u' ') ? QStringLiteral("\\n ") : QStringLiteral("\\n");
    return layout;
}

// What is wrong with one translation of a source text, or nothing.
QStringList faults(const QString &source, const QString &translation)
{
    if (translation.trimmed().isEmpty())
        return {QStringLiteral("empty")};
    QStringList found;
    static const QRegularExpression placeholder(QStringLiteral("%L?\\d{1,2}|%n"));
    if (sorted(matches(placeholder, source)) != sorted(matches(placeholder, translation)))
        found << QStringLiteral("placeholders differ");
    static const QRegularExpression tag(QStringLiteral("<[^<>]*>"));
    if (sorted(matches(tag, source)) != sorted(matches(tag, translation)))
        found << QStringLiteral("markup differs");
    static const QRegularExpression filePattern(QStringLiteral("\\*\\.\\w+"));
    if (matches(filePattern, source) != matches(filePattern, translation))
        found << QStringLiteral("file patterns differ");
    if (leadingBlanks(source) != leadingBlanks(translation) ||
        trailingBlanks(source) != trailingBlanks(translation))
        found << QStringLiteral("leading or trailing blanks differ");
    if (lineLayout(source) != lineLayout(translation))
        found << QStringLiteral("line breaks differ");

    const QList<qsizetype> marks = acceleratorMarks(translation);
    if (acceleratorMarks(source).size() != marks.size()) {
        found << QStringLiteral("%1 accelerators, the source has %2")
                     .arg(marks.size())
                     .arg(acceleratorMarks(source).size());
    } else if (!marks.isEmpty()) {
        const qsizetype at = marks.first();
        const QChar key = translation.at(at + 1);
        const bool cjk = std::any_of(translation.cbegin(), translation.cend(), isCjk);
        if (!key.isLetterOrNumber() || isCjk(key))
            found << QStringLiteral("accelerator on \"%1\", not on a letter one can type").arg(key);
        // Japanese and Chinese put the Latin key in parentheses after the text: "クリア(&L)".
        else if (cjk && (at == 0 || translation.at(at - 1) != u'(' || at + 2 >= translation.size() ||
                         translation.at(at + 2) != u')' || key.unicode() > 0x7f))
            found << QStringLiteral("accelerator not in the form (&X)");
    }
    return found;
}

} // namespace

class TestCatalogues : public QObject
{
    Q_OBJECT

private:
    static void addRowPerLanguage()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("clipboard");
        for (const auto &[language, clipboard] : clipboardByLanguage)
            QTest::newRow(qPrintable(language)) << language << clipboard;
    }

    static QString catalogueFile(const QString &dir, const QString &language, const QString &suffix)
    {
        return dir + QStringLiteral("/morv-clip_") + language + suffix;
    }

private Q_SLOTS:
    void theLanguagesShippedAreAllBuiltAndTested()
    {
        QStringList expected;
        for (const auto &entry : clipboardByLanguage)
            expected << QStringLiteral("morv-clip_%1.ts").arg(entry.first);
        QCOMPARE(sorted(QDir(sourceDir).entryList({QStringLiteral("morv-clip_*.ts")}, QDir::Files)),
                 expected);
    }

    void everyMessageIsTranslatedAndKeepsWhatTheProgramNeeds_data() { addRowPerLanguage(); }
    void everyMessageIsTranslatedAndKeepsWhatTheProgramNeeds()
    {
        QFETCH(QString, language);
        const QList<Message> messages =
            readCatalogue(catalogueFile(sourceDir, language, QStringLiteral(".ts")));
        QVERIFY(!messages.isEmpty());
        // Every catalogue has the messages of the German one, which lupdate keeps up to date.
        const auto keys = [](const QList<Message> &list) {
            QStringList found;
            for (const Message &message : list)
                found << message.context + u'|' + message.source;
            return sorted(found);
        };
        QCOMPARE(keys(messages),
                 keys(readCatalogue(catalogueFile(sourceDir, QStringLiteral("de"), QStringLiteral(".ts")))));

        QStringList problems;
        for (const Message &message : messages) {
            QStringList found;
            if (!message.type.isEmpty())
                found << message.type;
            for (const QString &translation : message.translations)
                found << faults(message.source, translation);
            if (!found.isEmpty())
                problems << QStringLiteral("%1 \"%2\": %3")
                                .arg(message.context, message.source, found.join(u", "));
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    void theCompiledCatalogueHoldsEveryTranslation_data() { addRowPerLanguage(); }
    void theCompiledCatalogueHoldsEveryTranslation()
    {
        QFETCH(QString, language);
        QTranslator translator;
        QVERIFY(translator.load(catalogueFile(compiledDir, language, QStringLiteral(".qm"))));
        const QList<Message> messages =
            readCatalogue(catalogueFile(sourceDir, language, QStringLiteral(".ts")));
        QVERIFY(!messages.isEmpty());
        for (const Message &message : messages) {
            QCOMPARE(translator.translate(message.context.toUtf8().constData(),
                                          message.source.toUtf8().constData()),
                     message.translations.value(0));
        }
    }

    void theUsersLocaleFindsItsCatalogue_data() { addRowPerLanguage(); }
    void theUsersLocaleFindsItsCatalogue()
    {
        QFETCH(QString, language);
        QFETCH(QString, clipboard);
        qputenv("MORV_TRANSLATIONS_DIR", compiledDir.toUtf8());
        QLocale::setDefault(QLocale(language));
        QVERIFY(Morv::Translator::translateApplication(QStringLiteral("morv-clip")));
        QCOMPARE(QCoreApplication::translate("QObject", "Clipboard"), clipboard);
    }

    void aRegionWithoutACatalogueOfItsOwnGetsTheLanguages()
    {
        qputenv("MORV_TRANSLATIONS_DIR", compiledDir.toUtf8());
        QLocale::setDefault(QLocale(QLocale::French, QLocale::Canada));
        QVERIFY(Morv::Translator::translateApplication(QStringLiteral("morv-clip")));
        QCOMPARE(QCoreApplication::translate("QObject", "Clipboard"), QStringLiteral("Presse-papiers"));
    }

    void cleanup()
    {
        // Deleting a translator takes it out of the application.
        qDeleteAll(QCoreApplication::instance()->findChildren<QTranslator *>());
        QCOMPARE(QCoreApplication::translate("QObject", "Clipboard"), QStringLiteral("Clipboard"));
    }
};

QTEST_GUILESS_MAIN(TestCatalogues)
#include "tst_catalogues.moc"

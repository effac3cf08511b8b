// SPDX-License-Identifier: GPL-2.0-or-later

// Feeds settings files to the loader of the stored history and sticky items. The content files
// the corpus names (see contentFileBytes) exist in a data folder of the fuzzer's own. Besides
// crashes, hangs and huge allocations (libFuzzer's -timeout and -malloc_limit_mb), it checks on
// every input that:
// - what Qt could not decode safely is taken out of the file before QSettings reads it, and the
//   original is kept; Qt is then never asked for more memory than the input justifies (the
//   sanitizer's allocation limit in run-fuzzer);
// - whatever the loader recovered stores and loads back unchanged;
// - the raw INI values the loader falls back on for damaged contents are the ones QSettings reads
//   (compared on plain string values, where QSettings shows its unescaped text);
// - no hand edit of "historyCount" cuts the history below one item, and "clearItemsOnExit" is on
//   only for the values that clearly say so.

#include "contentfilestore.h"
#include "historystore.h"
#include "item.h"
#include "preferencekeys.h"
#include "rawvaluecheck.h"
#include "settingsfilecheck.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

QTemporaryDir *directory = nullptr;

void dropMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        std::abort();
    }
}

[[noreturn]] void fail(const char *what, const QString &detail)
{
    std::fprintf(stderr, "fuzz_history_store: %s: %s\n", what, qPrintable(detail));
    std::abort();
}

QString nextFileName()
{
    // A new name for every file: QSettings keeps parsed files by name, and a rewrite within the
    // same millisecond and with the same size would look unchanged.
    static quint64 count = 0;
    return directory->filePath(QStringLiteral("%1.ini").arg(++count));
}

// The bytes of the content files that the corpus lists.
const QList<QByteArray> contentFileBytes{QByteArray(5000, 'a'), QByteArray(6000, 'b'),
                                         QByteArray("small file content")};

bool sameLargeContents(const Morv::Item &a, const Morv::Item &b)
{
    const Morv::LargeContents &large = a.largeContents();
    if (large.keys() != b.largeContents().keys())
        return false;
    for (auto it = large.cbegin(); it != large.cend(); ++it) {
        const Morv::LargeContent other = b.largeContents().value(it.key());
        if (other.size() != it->size() || other.sha256() != it->sha256())
            return false;
    }
    return true;
}

void checkStoredAgain(const QList<Morv::Item> &history)
{
    const QString file = nextFileName();
    {
        QSettings out(file, QSettings::IniFormat);
        QString error;
        if (!Morv::HistoryStore::saveHistory(out, history, false, &error))
            fail("the history cannot be stored", error);
    }
    QSettings in(file, QSettings::IniFormat);
    const QList<Morv::Item> again = Morv::HistoryStore::loadHistory(in);
    if (again.size() != history.size())
        fail("reloaded history differs in size", QString::number(again.size()));
    for (qsizetype i = 0; i < history.size(); ++i) {
        if (again.at(i).mode() != history.at(i).mode() ||
            again.at(i).contentType() != history.at(i).contentType() ||
            again.at(i).content() != history.at(i).content() ||
            !sameLargeContents(again.at(i), history.at(i)))
            fail("reloaded item differs", QString::number(i + 1));
    }
    QFile::remove(file);
}

// As the program does before QSettings reads a file: what Qt could not decode safely goes, and the
// original stays, byte for byte, in the one copy the warning names.
void checkMadeSafe(const QString &file, const QByteArray &original)
{
    QString error;
    if (!Morv::SettingsFileCheck::makeSafe(file, &error))
        fail("the file could not be made safe", error);
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        fail("cannot read", file);
    const QByteArray mended = in.readAll();
    if (!Morv::SettingsFileCheck::unsafeValues(mended).isEmpty())
        fail("a mended file still holds what Qt cannot read safely", file);
    const QFileInfo info(file);
    const QStringList copies =
        info.dir().entryList({info.fileName() + QStringLiteral(".damaged-*")}, QDir::Files);
    if (mended == original) {
        if (!copies.isEmpty())
            fail("a sound file was copied", copies.constFirst());
        return;
    }
    if (copies.size() != 1)
        fail("a mended file has not one copy of its original", QString::number(copies.size()));
    QFile copy(info.dir().filePath(copies.constFirst()));
    if (!copy.open(QIODevice::ReadOnly) || copy.readAll() != original)
        fail("the copy of a mended file differs from the original", copy.fileName());
    copy.remove();
}

void checkHandEditedPreferences(const QSettings &settings)
{
    const int count = Morv::PreferenceKeys::historyCount(settings);
    if (count < 1)
        fail("a history limit below 1 was read", QString::number(count));
    const QVariant stored = settings.value(QStringLiteral("clearItemsOnExit"));
    const QString word =
        stored.typeId() == QMetaType::QString ? stored.toString().trimmed().toLower() : QString();
    const bool clearlyOn = stored.typeId() == QMetaType::Bool
                               ? stored.toBool()
                               : word == QLatin1String("true") || word == QLatin1String("1") ||
                                     word == QLatin1String("yes") || word == QLatin1String("on");
    if (Morv::PreferenceKeys::clearItemsOnExit(settings) != clearlyOn)
        fail("\"clearItemsOnExit\" read against its stored text", stored.toString());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qInstallMessageHandler(dropMessages);
    // As in the program, an application object exists: QSettings decodes stored values of any
    // type, and some (pixmaps, cursors) need one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(*argc, *argv);
    // Thousands of small files a second; run-fuzzer puts them on a memory file system and removes
    // the folder afterwards (libFuzzer ends the process without running exit handlers).
    const QString base = qEnvironmentVariable("MORV_FUZZ_TMPDIR");
    directory = base.isEmpty() ? new QTemporaryDir : new QTemporaryDir(base + QStringLiteral("/XXXXXX"));
    if (!directory->isValid())
        fail("no temporary folder", directory->errorString());
    // Content files, those the corpus names and those that inline contents move into, go there too.
    qputenv("XDG_DATA_HOME", QFile::encodeName(directory->filePath(QStringLiteral("data"))));
    for (const QByteArray &bytes : contentFileBytes) {
        QString error;
        if (!Morv::ContentFileStore::write(Morv::ContentFileStore::hash(bytes), bytes, &error))
            fail("cannot write a content file", error);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString file = nextFileName();
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly))
            fail("cannot write", file);
        out.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    checkMadeSafe(file, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    {
        QSettings settings(file, QSettings::IniFormat);
        const QList<Morv::Item> history = Morv::HistoryStore::loadHistory(settings);
        const QList<Morv::Item> sticky = Morv::HistoryStore::loadSticky(settings);
        for (const Morv::Item &item : sticky) {
            if (!item.isValid() || item.text().isEmpty())
                fail("an empty sticky item was loaded", item.text());
        }
        checkHandEditedPreferences(settings);
        if (const QString key = RawValueCheck::firstDifference(settings); !key.isEmpty())
            fail("a raw value differs from what QSettings reads", key);
        checkStoredAgain(history);
    }
    QFile::remove(file);
    return 0;
}

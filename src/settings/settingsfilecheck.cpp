// SPDX-License-Identifier: GPL-2.0-or-later

#include "settingsfilecheck.h"

#include "atomicfile.h"
#include "contentstreamreader.h"
#include "variantstreamcheck.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QLockFile>

#include <mutex>
#include <sys/stat.h>

namespace Morv {

namespace {

const QLatin1String variantPrefix("@Variant(");
const QLatin1String invalidValue("@Invalid()");
// As long as QSettings' own writers hold the lock at most, HistorySaver's included.
constexpr int lockTimeoutMs = 10000;

// What identifies one version of a file: QSettings reads a file again when its size or time
// changed, and the file is replaced (a new inode) by every writer.
struct FileState
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    bool operator==(const FileState &other) const
    {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
    }
};

std::optional<FileState> stateOf(const QString &fileName)
{
    struct stat status;
    if (::stat(QFile::encodeName(fileName).constData(), &status) != 0)
        return std::nullopt;
    return FileState{status.st_dev, status.st_ino, status.st_size, status.st_mtim};
}

// The files found safe, as they were then; shared by the GUI thread and the saver's.
std::mutex safeFilesMutex;
QHash<QString, FileState> safeFiles;

void remember(const QString &fileName, const std::optional<FileState> &state)
{
    if (!state)
        return;
    std::lock_guard<std::mutex> lock(safeFilesMutex);
    safeFiles.insert(fileName, *state);
}

bool isKnownSafe(const QString &fileName, const FileState &state)
{
    std::lock_guard<std::mutex> lock(safeFilesMutex);
    const auto known = safeFiles.constFind(fileName);
    return known != safeFiles.cend() && *known == state;
}

std::optional<QByteArray> readAll(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool writeAtomically(const QString &fileName, const QByteArray &bytes, QString *error)
{
    AtomicFile file(fileName);
    return file.create(error) && file.write(bytes.constData(), bytes.size(), error) &&
           file.commit(AtomicFile::FlushFolder, error);
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

QList<SettingsFileCheck::Unsafe> SettingsFileCheck::unsafeValues(QByteArrayView contents)
{
    QList<Unsafe> unsafe;
    for (const IniFileReader::Assignment &assignment : IniFileReader::readAssignments(contents)) {
        for (qsizetype i = 0; i < assignment.elements.size(); ++i) {
            // What QSettings decodes: the text after the prefix, closing parenthesis included, as
            // Latin-1.
            const QString &text = assignment.elements.at(i);
            if (!text.startsWith(variantPrefix) || !text.endsWith(QLatin1Char(')')))
                continue;
            const QString problem =
                VariantStreamCheck::problem(QStringView(text).sliced(variantPrefix.size()).toLatin1());
            if (problem.isEmpty())
                continue;
            if (assignment.isList)
                unsafe.append({assignment.key, problem, assignment.rawElements.at(i), true});
            else
                unsafe.append({assignment.key, problem, assignment.line, false});
        }
    }
    return unsafe;
}

QByteArray SettingsFileCheck::withoutUnsafeValues(QByteArrayView contents, const QList<Unsafe> &unsafe)
{
    // The spans come in the order of the file and never overlap: lines, or elements of one line.
    QByteArray result;
    result.reserve(contents.size());
    qsizetype copied = 0;
    for (const Unsafe &value : unsafe) {
        result.append(contents.sliced(copied, value.bytes.begin - copied));
        if (value.isElement)
            result.append(invalidValue.data(), invalidValue.size());
        copied = value.bytes.end;
    }
    result.append(contents.sliced(copied));
    return result;
}

QString SettingsFileCheck::keptCopyName(const QString &fileName)
{
    const QString base = fileName + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 2; QFile::exists(name); ++n)
        name = base + QStringLiteral("-%1").arg(n);
    return name;
}

std::optional<QByteArray> SettingsFileCheck::mended(const QString &fileName, const QByteArray &contents,
                                                    QString *error)
{
    const QList<Unsafe> unsafe = unsafeValues(contents);
    if (unsafe.isEmpty())
        return contents;
    const QString copy = keptCopyName(fileName);
    QString why;
    if (!writeAtomically(copy, contents, &why)) {
        setError(error,
                 QStringLiteral("it holds values Qt cannot read safely, and its original cannot be kept "
                                "in %1 (%2)")
                     .arg(copy, why));
        return std::nullopt;
    }
    for (const Unsafe &value : unsafe) {
        const QString key = ContentStreamReader::printable(value.key);
        qWarning("%s: %s holds %s, which Qt cannot read safely; %s (the original file is kept in %s)",
                 qUtf8Printable(fileName),
                 qUtf8Printable(value.isElement ? QStringLiteral("an element of \"%1\"").arg(key)
                                                : QStringLiteral("\"%1\"").arg(key)),
                 qUtf8Printable(value.problem),
                 value.isElement ? "the element now reads as no value" : "the value is left out",
                 qUtf8Printable(copy));
    }
    return withoutUnsafeValues(contents, unsafe);
}

bool SettingsFileCheck::makeSafe(const QString &fileName, QString *error)
{
    const std::optional<FileState> state = stateOf(fileName);
    // No file, or one QSettings cannot read either: nothing will be decoded.
    if (!state || isKnownSafe(fileName, *state))
        return true;
    const std::optional<QByteArray> contents = readAll(fileName);
    if (!contents)
        return true;
    if (unsafeValues(*contents).isEmpty()) {
        remember(fileName, state);
        return true;
    }

    // Mended under the lock QSettings writes under, from the file as it is then: a writer may have
    // replaced it meanwhile.
    QLockFile lock(fileName + QLatin1String(".lock"));
    if (!lock.tryLock(lockTimeoutMs)) {
        setError(error, QStringLiteral("it holds values Qt cannot read safely, and its lock is taken"));
        return false;
    }
    const std::optional<QByteArray> current = readAll(fileName);
    if (!current)
        return true;
    const std::optional<QByteArray> safe = mended(fileName, *current, error);
    if (!safe)
        return false;
    if (*safe != *current) {
        QString why;
        if (!writeAtomically(fileName, *safe, &why)) {
            setError(error,
                     QStringLiteral("it holds values Qt cannot read safely, and cannot be rewritten (%1)")
                         .arg(why));
            return false;
        }
    }
    remember(fileName, stateOf(fileName));
    return true;
}

} // namespace Morv

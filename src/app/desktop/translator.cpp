// SPDX-License-Identifier: GPL-2.0-or-later

#include "translator.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace Morv {

QStringList Translator::searchPaths()
{
    QStringList paths;
    // Lets a test or a user point at a folder of catalogues without installing them.
    const QString fromEnvironment = qEnvironmentVariable("MORV_TRANSLATIONS_DIR");
    if (!fromEnvironment.isEmpty())
        paths << fromEnvironment;
    paths << QStringLiteral(MORV_INSTALL_TRANSLATIONS_DIR) << QStringLiteral(MORV_BUILD_TRANSLATIONS_DIR);
    return paths;
}

bool Translator::translateApplication(const QString &catalogue)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return false;

    const QLocale locale;
    bool found = false;
    for (const QString &path : searchPaths()) {
        auto translator = new QTranslator(app);
        if (translator->load(locale, catalogue, QStringLiteral("_"), path)) {
            QCoreApplication::installTranslator(translator);
            found = true;
            break;
        }
        delete translator;
    }

    auto qtTranslator = new QTranslator(app);
    if (qtTranslator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtTranslator);
    else
        delete qtTranslator;

    return found;
}

} // namespace Morv

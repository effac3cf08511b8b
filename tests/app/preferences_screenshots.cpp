// SPDX-License-Identifier: GPL-2.0-or-later

// Draws both pages of the preferences dialog, filled with sample values, into PNG files:
//   preferences-screenshots OUTPUT_DIR
// Run it through tools/preferences-screenshots, which gives it a private X display and settings.
#include "item.h"
#include "preferences.h"
#include "preferencesdialog.h"
#include "testenvironment.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>

namespace {

void settle(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool save(QWidget &window, const QString &file)
{
    settle(300);
    if (!window.grab().save(file)) {
        std::fprintf(stderr, "preferences-screenshots: cannot write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: preferences-screenshots OUTPUT_DIR\n");
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    TestEnvironment::setUp();

    Morv::Preferences *preferences = Morv::Preferences::instance();
    preferences->setValue(QStringLiteral("historyCount"), 20);
    preferences->setValue(QStringLiteral("platformExtensions"), true);
    preferences->setValue(QStringLiteral("synchronizePSE"), 1);
    preferences->saveSticky({Morv::Item(QStringLiteral("Kind regards,\nAnna")),
                             Morv::Item(QStringLiteral("https://example.org/morv")),
                             Morv::Item(QStringLiteral("git log --oneline --graph"))});

    Morv::PreferencesDialog dialog;
    dialog.show();
    if (!save(dialog, output.filePath(QStringLiteral("preferences-general.png"))))
        return 1;
    dialog.toolBox->setCurrentIndex(1);
    dialog.listWidget->setCurrentRow(1);
    if (!save(dialog, output.filePath(QStringLiteral("preferences-sticky.png"))))
        return 1;
    return 0;
}

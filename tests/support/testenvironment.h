// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "preferences.h"
#include "startup.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QString>

// Puts a test process into the state start-up leaves the program in before the preferences are
// first used: the application identity and the INI format. Qt's test mode moves the settings file
// below ~/.qttest, and the test rig gives every test a private HOME, so no test reads or writes a
// real user's settings.
namespace TestEnvironment {

inline void setUp()
{
    QStandardPaths::setTestModeEnabled(true);
    Morv::StartUp::setIdentity();
    Morv::StartUp::setApplicationDefaults();
}

// The file the preferences store reads and writes in test mode.
inline QString settingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/morv/morv-clip.ini");
}

// Forgets every stored value, in memory and on disk, so a test case starts from defaults.
inline void clearSettings()
{
    Morv::Preferences *preferences = Morv::Preferences::instance();
    preferences->clear();
    preferences->sync();
}

} // namespace TestEnvironment

// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>

namespace Morv {

// The settings file and the content files hold everything the user copied, passwords included:
// whoever writes them makes sure first that nobody else can read them. Only what the program
// owns is touched: its own folders and files. The folders above them (~/.config, ~/.local/share,
// the home folder) keep whatever permissions the user gave them.
class PrivateFile
{
public:
    // Takes the permissions of group and others away from a file or folder of the user's own.
    // Somebody else's is left alone.
    static void restrict(const QString &path);

    // Creates the folder when missing. Its last ownLevels components are the program's own
    // folders: created readable by the user alone, and tightened when they exist. Missing folders
    // above them are created with the usual permissions, and existing ones are never changed.
    static bool makeFolder(const QString &folder, int ownLevels, QString *error);

    // The settings file: its folder (the program's own) and the file itself, created private when
    // missing and tightened when they exist.
    static void make(const QString &fileName);
};

} // namespace Morv

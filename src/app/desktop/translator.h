// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QString>
#include <QStringList>

namespace Morv {

// Installs the translations of a Morv desktop program.
class Translator
{
public:
    // Installs the catalogue <catalogue>_<language>.qm for the user's languages, looked up in the
    // installed translations folder and then in the build tree, and Qt's own catalogue (texts of
    // standard buttons and dialogs). Needs the application object. Returns whether the program's
    // catalogue was found; a missing catalogue leaves the program in its source language.
    static bool translateApplication(const QString &catalogue);

    // The folders searched for the program's catalogues, in order.
    static QStringList searchPaths();
};

} // namespace Morv

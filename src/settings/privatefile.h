// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

class QString;

namespace Morv {

// The settings file holds everything the user copied, passwords included: whoever writes it makes
// sure first that nobody else can read it.
class PrivateFile
{
public:
    // Creates the file and its folder, when missing, readable by the user alone, and takes the
    // permissions of others away from existing ones. A folder of somebody else's is left alone.
    static void make(const QString &fileName);
};

} // namespace Morv

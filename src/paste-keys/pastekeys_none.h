// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "pastekeys.h"

// Where no keys can be sent: remembers nothing, and every paste ends at once without keys.
class NoPasteKeys : public PasteKeys
{
    Q_OBJECT

public:
    explicit NoPasteKeys(Availability why, QObject *parent = nullptr);

    Availability availability() const override { return why; }
    void rememberTarget() override {}
    bool hasTarget() const override { return false; }
    void paste(const QStringList &terminalClasses) override;

private:
    const Availability why;
};

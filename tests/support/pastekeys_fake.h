// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "pastekeys.h"

#include <QList>
#include <QStringList>

// Paste keys that send nothing, for tests: they write down what the program asked of them. A test
// decides whether keys could be sent at all and whether a target is found when one is asked for.
class FakePasteKeys : public PasteKeys
{
    Q_OBJECT

public:
    Availability availability() const override { return why; }
    void rememberTarget() override
    {
        ++remembered;
        target = targetFound;
    }
    bool hasTarget() const override { return target; }
    bool knowsWindowClass() const override { return classKnown; }
    void paste(const QStringList &terminalClasses) override
    {
        pastes.append(terminalClasses);
        const bool sent = target;
        target = false;
        Q_EMIT finished(sent, QString());
    }

    // Installs a new fake as the process-wide backend and returns it (owned by PasteKeys).
    static FakePasteKeys *install()
    {
        auto *fake = new FakePasteKeys;
        PasteKeys::setInstance(std::unique_ptr<PasteKeys>(fake));
        return fake;
    }

    // Back to an available backend that finds a target, with nothing written down.
    void reset()
    {
        why = Availability::Available;
        targetFound = true;
        classKnown = true;
        remembered = 0;
        pastes.clear();
        target = false;
    }

    Availability why = Availability::Available;
    bool targetFound = true;
    bool classKnown = true;
    int remembered = 0;
    // The terminal classes each paste was asked with, oldest first.
    QList<QStringList> pastes;

private:
    bool target = false;
};

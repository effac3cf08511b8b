// SPDX-License-Identifier: GPL-2.0-or-later

#include "pastingpage.h"

#include "pastekeys.h"
#include "preferences.h"

namespace Morv {

PastingPage::PastingPage(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);

    Preferences *preferences = Preferences::instance();
    pasteOnChooseCheckBox->setChecked(preferences->pasteOnChoose());
    terminalClassesEdit->setPlainText(preferences->terminalClasses().join(QLatin1Char('\n')));

    const QString reason = unavailableReason();
    unavailableLabel->setText(reason);
    unavailableLabel->setVisible(!reason.isEmpty());
    const bool available = reason.isEmpty();
    pasteOnChooseCheckBox->setEnabled(available);
    terminalClassesLabel->setEnabled(available && PasteKeys::instance()->knowsWindowClass());
    terminalClassesEdit->setEnabled(available && PasteKeys::instance()->knowsWindowClass());
    if (available && !PasteKeys::instance()->knowsWindowClass()) {
        unavailableLabel->setText(tr("This compositor does not tell programs which window has the focus: "
                                     "every window gets Ctrl+V."));
        unavailableLabel->setVisible(true);
    }
}

QString PastingPage::unavailableReason() const
{
    switch (PasteKeys::instance()->availability()) {
    case PasteKeys::Availability::Available:
        return QString();
    case PasteKeys::Availability::NoXTest:
        return tr("The X server has no XTEST extension: no keys can be pressed in other windows.");
    case PasteKeys::Availability::NoVirtualKeyboard:
        return tr("This Wayland compositor lets no program press keys in other windows (it offers no "
                  "virtual keyboard): choose the entry, then paste with Ctrl+V yourself.");
    case PasteKeys::Availability::UnsupportedPlatform:
        break;
    }
    return tr("No keys can be pressed in other windows on this platform.");
}

void PastingPage::save()
{
    // Only what the user changed is written: a settings file whose keys were never set keeps
    // following the defaults, and holds nothing more than it did before this page existed.
    Preferences *preferences = Preferences::instance();
    if (pasteOnChooseCheckBox->isChecked() != preferences->pasteOnChoose())
        preferences->setPreference(Preference::PasteOnChoose, pasteOnChooseCheckBox->isChecked());
    QStringList classes;
    for (const QString &line : terminalClassesEdit->toPlainText().split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            classes.append(line.trimmed());
    }
    if (classes != preferences->terminalClasses())
        preferences->setPreference(Preference::TerminalClasses, classes);
}

} // namespace Morv

// SPDX-License-Identifier: GPL-2.0-or-later

#include "preferencesdialog.h"

#include "item.h"
#include "pastingpage.h"
#include "preferences.h"
#include "qxtglobalshortcut.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMenu>
#include <QPointer>

namespace Morv {

namespace {
const QString defaultIcon = PreferenceKeys::defaultValue(Preference::TrayIconFile).toString();
const char trayIconProperty[] = "tray_icon";
} // namespace

PreferencesDialog::PreferencesDialog(QWidget *parent)
    : QDialog(parent)
{
    setupUi(this);

    Preferences *preferences = Preferences::instance();
    historyComboBox->setValue(preferences->historyCount());
    displaySizeComboBox->setValue(preferences->displaySize());
    trimCheckBox->setChecked(preferences->trim());
    shortcutWidget->setKeySequence(QKeySequence(preferences->shortcut(), QKeySequence::NativeText));

    // A Wayland desktop with the GlobalShortcuts portal binds the hot key for us; without it the
    // user has to bind a key in the compositor.
    if (QGuiApplication::platformName() == QLatin1String("wayland") && !QxtGlobalShortcut::isSupported()) {
        keyboardShortcutLabel->setToolTip(tr(
            "On Wayland, apps can't handle global shortcuts.\n Set the shortcut in your compositor to call "
            "D-Bus instead,\n e.g.: 'qdbus6 org.morv.morv-clip /org/morv/clip show'"));
        keyboardShortcutLabel->setEnabled(false);
        shortcutWidget->setEnabled(false);
    }

    platformExtensionsCheckBox->setChecked(preferences->platformExtensions());
    synchronizePSE->setEnabled(preferences->platformExtensions());
    synchronizePSE->setCurrentIndex(preferences->synchronizePSE());
    clearItemsOnExit->setChecked(preferences->clearItemsOnExit());
    synchronizeHistory->setChecked(preferences->synchronizeHistory());
    confirmOnClear->setChecked(preferences->confirmClear());
    showPreviewsCheckBox->setChecked(preferences->showPreviews());

    const QList<Item> sticky = preferences->loadSticky();
    for (const Item &item : sticky)
        listWidget->addItem(item.text());

    connect(stickyAddButton, &QPushButton::clicked, this, &PreferencesDialog::stickyAddButton_clicked);
    connect(stickyRemoveButton, &QPushButton::clicked, this, &PreferencesDialog::stickyRemoveButton_clicked);
    connect(stickyUpButton, &QPushButton::clicked, this, &PreferencesDialog::stickyUpButton_clicked);
    connect(stickyDownButton, &QPushButton::clicked, this, &PreferencesDialog::stickyDownButton_clicked);
    connect(listWidget, &QListWidget::currentRowChanged, this,
            &PreferencesDialog::listWidget_currentRowChanged);

    if (listWidget->count() > 0) {
        listWidget->setCurrentRow(0);
    } else {
        stickyUpButton->setEnabled(false);
        stickyDownButton->setEnabled(false);
        stickyRemoveButton->setEnabled(false);
    }

    auto *iconMenu = new QMenu(tr("Icon selection"), this);
    auto *fromFile = new QAction(tr("Load icon from file..."), this);
    auto *useDefault = new QAction(QIcon(defaultIcon), tr("Use default icon"), this);
    iconMenu->addAction(fromFile);
    iconMenu->addAction(useDefault);

    setTrayIcon(preferences->trayIconFile());
    buttonIconImage->setMenu(iconMenu);
    connect(fromFile, &QAction::triggered, this, &PreferencesDialog::selectIconFromFile);
    connect(useDefault, &QAction::triggered, this, &PreferencesDialog::useDefaultIcon);

    pastingPage = new PastingPage(toolBox);
    toolBox->addItem(pastingPage, pastingPage->windowTitle());

    resize(sizeHint());
}

void PreferencesDialog::accept()
{
    Preferences *preferences = Preferences::instance();
    preferences->setPreference(Preference::HistoryCount, historyComboBox->value());
    preferences->setPreference(Preference::DisplaySize, displaySizeComboBox->value());
    preferences->setPreference(Preference::Trim, trimCheckBox->isChecked());
    preferences->setPreference(Preference::PlatformExtensions, platformExtensionsCheckBox->isChecked());
    preferences->setPreference(Preference::SynchronizePSE, synchronizePSE->currentIndex());
    preferences->setPreference(Preference::Shortcut,
                               shortcutWidget->keySequence().toString(QKeySequence::PortableText));
    preferences->setPreference(Preference::ClearItemsOnExit, clearItemsOnExit->isChecked());
    preferences->setPreference(Preference::SynchronizeHistory, synchronizeHistory->isChecked());
    preferences->setPreference(Preference::ConfirmClear, confirmOnClear->isChecked());
    preferences->setPreference(Preference::ShowPreviews, showPreviewsCheckBox->isChecked());
    QList<Item> sticky;
    sticky.reserve(listWidget->count());
    for (int row = 0; row < listWidget->count(); ++row)
        sticky.append(Item(listWidget->item(row)->text()));
    preferences->saveSticky(sticky);
    pastingPage->save();

    // Last: it syncs, so everything above reaches the disk together.
    preferences->setTrayIconFile(buttonIconImage->property(trayIconProperty).toString());

    QDialog::accept();
}

void PreferencesDialog::setTrayIcon(const QString &file)
{
    buttonIconImage->setIcon(QIcon(file));
    buttonIconImage->setProperty(trayIconProperty, file);
}

void PreferencesDialog::selectIconFromFile()
{
    // Guarded: the nested event loop may outlive this dialog's child (the dialog deletes it).
    QPointer<QFileDialog> dialog = new QFileDialog(this, tr("Select icon file"), QString(),
                                                   tr("Images (*.bmp *.jpg *.jpeg *.png *.svg *.tga)"));
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setOptions(QFileDialog::ReadOnly);
    dialog->setViewMode(QFileDialog::Detail);
    dialog->setLabelText(QFileDialog::Accept, tr("Select icon"));
    dialog->setLabelText(QFileDialog::Reject, tr("Cancel"));
    dialog->setLabelText(QFileDialog::LookIn, tr("Look in:"));
    dialog->setLabelText(QFileDialog::FileName, tr("Icon name:"));
    dialog->setLabelText(QFileDialog::FileType, tr("Icon type:"));

    const int result = dialog->exec();
    if (!dialog)
        return;
    const QStringList files = dialog->selectedFiles();
    if (result == QDialog::Accepted && !files.isEmpty())
        setTrayIcon(files.first());
    delete dialog;
}

void PreferencesDialog::useDefaultIcon()
{
    setTrayIcon(defaultIcon);
}

void PreferencesDialog::stickyAddButton_clicked()
{
    bool ok = false;
    const QString text = QInputDialog::getText(this, tr("Add New Sticky Item"), tr("Add New Sticky Item"),
                                               QLineEdit::Normal, QString(), &ok);
    if (!ok || text.isEmpty())
        return;
    listWidget->addItem(text);
    listWidget->setCurrentRow(listWidget->count() - 1);
}

void PreferencesDialog::stickyRemoveButton_clicked()
{
    const int row = listWidget->currentRow();
    if (row < 0)
        return;
    delete listWidget->takeItem(row);
    // The list moves its current row while the old row is still counted; judge the buttons by
    // what is left.
    listWidget_currentRowChanged(listWidget->currentRow());
}

void PreferencesDialog::stickyUpButton_clicked()
{
    moveCurrentRow(-1);
}

void PreferencesDialog::stickyDownButton_clicked()
{
    moveCurrentRow(+1);
}

void PreferencesDialog::moveCurrentRow(int offset)
{
    const int row = listWidget->currentRow();
    const int target = row + offset;
    if (row < 0 || target < 0 || target >= listWidget->count())
        return;
    QListWidgetItem *item = listWidget->takeItem(row);
    listWidget->insertItem(target, item);
    listWidget->setCurrentRow(target);
    listWidget_currentRowChanged(listWidget->currentRow());
}

void PreferencesDialog::listWidget_currentRowChanged(int row)
{
    const int count = listWidget->count();
    stickyUpButton->setEnabled(count != 0 && row > 0);
    stickyDownButton->setEnabled(count != 0 && row >= 0 && row + 1 < count);
    stickyRemoveButton->setEnabled(count != 0 && row >= 0);
    stickyAddButton->setEnabled(true);
}

} // namespace Morv

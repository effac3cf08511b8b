// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include "ui_preferencesdialog.h"

#include <QDialog>

namespace Morv {

class PastingPage;

// The window in which the user edits every preference and the sticky items. It reads the stored
// values when it is built, changes nothing while it is open and writes everything at once on OK.
class PreferencesDialog
    : public QDialog
    , public Ui::PreferencesDialog
{
    Q_OBJECT

public:
    explicit PreferencesDialog(QWidget *parent = nullptr);

    // The page of the paste preferences, after the form's own pages.
    PastingPage *pastingPage;

public Q_SLOTS:
    void accept() override;

private Q_SLOTS:
    void selectIconFromFile();
    void useDefaultIcon();
    void stickyAddButton_clicked();
    void stickyRemoveButton_clicked();
    void stickyUpButton_clicked();
    void stickyDownButton_clicked();
    void listWidget_currentRowChanged(int row);

private:
    void setTrayIcon(const QString &file);
    void moveCurrentRow(int offset);
};

} // namespace Morv

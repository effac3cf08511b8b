// SPDX-License-Identifier: GPL-2.0-or-later

#include "item.h"
#include "preferences.h"
#include "preferencesdialog.h"
#include "testenvironment.h"

#include <QFileDialog>
#include <QImage>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using Morv::Preferences;
using Morv::PreferencesDialog;

namespace {

QByteArray fileContents()
{
    QFile file(TestEnvironment::settingsFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The lines "key=value" of one section of the raw INI file.
QMap<QString, QString> iniSection(const QString &section)
{
    QMap<QString, QString> values;
    QString current;
    const QList<QByteArray> lines = fileContents().split('\n');
    for (const QByteArray &raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            current = line.mid(1, line.size() - 2);
        } else if (current == section && line.contains(QLatin1Char('='))) {
            const qsizetype equals = line.indexOf(QLatin1Char('='));
            values.insert(line.left(equals), line.mid(equals + 1));
        }
    }
    return values;
}

// Answers the next modal dialog of type T once it shows up, from inside its own event loop.
template<typename T>
void whenModal(std::function<void(T *)> answer)
{
    auto *poll = new QTimer;
    auto *tries = new int(0);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, answer] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            if (dialog->isVisible()) {
                poll->stop();
                poll->deleteLater();
                delete tries;
                QPointer<T> guard(dialog);
                answer(dialog);
                // A failed check inside the answer must not leave the test hanging in exec().
                if (guard && guard->isVisible())
                    guard->reject();
                return;
            }
        }
        if (++*tries > 250) {
            poll->stop();
            poll->deleteLater();
            delete tries;
            QFAIL("the expected dialog did not open");
        }
    });
    poll->start(20);
}

// Types into the input dialog and confirms with Return, or cancels with Escape.
void typeIntoInputDialog(const QString &text, bool confirm = true)
{
    whenModal<QInputDialog>([text, confirm](QInputDialog *dialog) {
        QLineEdit *edit = dialog->findChild<QLineEdit *>();
        QVERIFY(edit);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Add New Sticky Item"));
        QCOMPARE(dialog->labelText(), QStringLiteral("Add New Sticky Item"));
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, confirm ? Qt::Key_Return : Qt::Key_Escape);
    });
}

} // namespace

class TestPreferencesDialog : public QObject
{
    Q_OBJECT

private:
    Preferences *preferences = nullptr;

    static QStringList rows(const PreferencesDialog &dialog)
    {
        QStringList result;
        for (int row = 0; row < dialog.listWidget->count(); ++row)
            result << dialog.listWidget->item(row)->text();
        return result;
    }

    // The names of the sticky buttons that can be pressed.
    static QString enabled(const PreferencesDialog &dialog)
    {
        QStringList names;
        for (const QPushButton *button : {dialog.stickyAddButton, dialog.stickyRemoveButton,
                                          dialog.stickyUpButton, dialog.stickyDownButton}) {
            if (button->isEnabled())
                names << button->objectName().mid(6).chopped(6);
        }
        return names.join(QLatin1Char(' '));
    }

    void storeSticky(const QStringList &texts)
    {
        QList<Morv::Item> items;
        for (const QString &text : texts)
            items << Morv::Item(text);
        preferences->saveSticky(items);
    }

    static QStringList storedSticky()
    {
        QStringList texts;
        const QList<Morv::Item> items = Preferences::instance()->loadSticky();
        for (const Morv::Item &item : items)
            texts << item.text();
        return texts;
    }

    static void showAndWait(QDialog &dialog)
    {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }

private Q_SLOTS:
    void initTestCase()
    {
        TestEnvironment::setUp();
        preferences = Preferences::instance();
    }

    void init() { TestEnvironment::clearSettings(); }

    void showsTheDefaultsWithoutSettings()
    {
        QFile::remove(TestEnvironment::settingsFile());
        PreferencesDialog dialog;
        QCOMPARE(dialog.historyComboBox->value(), 10);
        QCOMPARE(dialog.displaySizeComboBox->value(), 30);
        QVERIFY(dialog.trimCheckBox->isChecked());
        QCOMPARE(dialog.shortcutWidget->keySequence(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V));
        QVERIFY(!dialog.platformExtensionsCheckBox->isChecked());
        QVERIFY(!dialog.synchronizePSE->isEnabled());
        QCOMPARE(dialog.synchronizePSE->currentIndex(), 0);
        QVERIFY(!dialog.clearItemsOnExit->isChecked());
        QVERIFY(dialog.synchronizeHistory->isChecked());
        QVERIFY(dialog.confirmOnClear->isChecked());
        QVERIFY(!dialog.showPreviewsCheckBox->isChecked());
        QCOMPARE(dialog.buttonIconImage->property("tray_icon").toString(),
                 QStringLiteral(":/icons/morv-clip.png"));
        QVERIFY(!dialog.buttonIconImage->icon().isNull());
        QCOMPARE(dialog.toolBox->currentIndex(), 0);
        QCOMPARE(dialog.objectName(), QStringLiteral("Morv__PreferencesDialog"));
        QCOMPARE(dialog.shortcutWidget->findChild<QPushButton *>()->toolTip(),
                 QStringLiteral("Change global keyboard shortcut to invoke the menu on screen"));
        // Opening it writes nothing.
        QVERIFY(!QFile::exists(TestEnvironment::settingsFile()));
    }

    void showsTheStoredValuesClamped_data()
    {
        QTest::addColumn<int>("history");
        QTest::addColumn<int>("display");
        QTest::addColumn<int>("shownHistory");
        QTest::addColumn<int>("shownDisplay");
        // A count below 1 is in effect the default, and the dialog shows what is in effect.
        QTest::newRow("below") << 0 << 5 << 10 << 10;
        QTest::newRow("above") << 150 << 500 << 99 << 200;
        QTest::newRow("inside") << 42 << 77 << 42 << 77;
    }

    void showsTheStoredValuesClamped()
    {
        QFETCH(int, history);
        QFETCH(int, display);
        QFETCH(int, shownHistory);
        QFETCH(int, shownDisplay);
        preferences->setValue(QStringLiteral("historyCount"), history);
        preferences->setValue(QStringLiteral("displaySize"), display);
        preferences->setValue(QStringLiteral("trim"), false);
        preferences->setValue(QStringLiteral("shortcut"), QStringLiteral("Meta+Shift+F12"));
        preferences->setValue(QStringLiteral("synchronizePSE"), 2);
        preferences->setValue(QStringLiteral("clearItemsOnExit"), true);
        preferences->setValue(QStringLiteral("synchronizeHistory"), false);
        preferences->setValue(QStringLiteral("confirmClear"), false);
        preferences->setValue(QStringLiteral("showPreviews"), true);
        storeSticky({"one", "two", "three"});

        PreferencesDialog dialog;
        QCOMPARE(dialog.historyComboBox->value(), shownHistory);
        QCOMPARE(dialog.displaySizeComboBox->value(), shownDisplay);
        QVERIFY(!dialog.trimCheckBox->isChecked());
        QCOMPARE(dialog.shortcutWidget->keySequence(), QKeySequence(Qt::META | Qt::SHIFT | Qt::Key_F12));
        QVERIFY(dialog.clearItemsOnExit->isChecked());
        QVERIFY(!dialog.synchronizeHistory->isChecked());
        QVERIFY(!dialog.confirmOnClear->isChecked());
        QVERIFY(dialog.showPreviewsCheckBox->isChecked());
        QCOMPARE(rows(dialog), QStringList({"one", "two", "three"}));
        QCOMPARE(dialog.listWidget->currentRow(), 0);

        // Without the platform extensions the combo box is disabled but keeps its index...
        QVERIFY(!dialog.synchronizePSE->isEnabled());
        QCOMPARE(dialog.synchronizePSE->currentIndex(), 2);
        // ...and ticking the check box enables it at once.
        showAndWait(dialog);
        QTest::mouseClick(dialog.platformExtensionsCheckBox, Qt::LeftButton);
        QVERIFY(dialog.synchronizePSE->isEnabled());

        // OK stores the clamped values.
        dialog.buttonBox->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const QMap<QString, QString> general = iniSection(QStringLiteral("General"));
        QCOMPARE(general.value("historyCount"), QString::number(shownHistory));
        QCOMPARE(general.value("displaySize"), QString::number(shownDisplay));
        QCOMPARE(general.value("synchronizePSE"), QStringLiteral("2"));
        QCOMPARE(general.value("platformExtensions"), QStringLiteral("true"));
    }

    void okWritesEveryValueToDisk()
    {
        PreferencesDialog dialog;
        showAndWait(dialog);
        dialog.historyComboBox->setValue(25);
        dialog.displaySizeComboBox->setValue(120);
        dialog.trimCheckBox->setChecked(false);
        dialog.platformExtensionsCheckBox->setChecked(true);
        dialog.synchronizePSE->setCurrentIndex(1);
        dialog.shortcutWidget->setKeySequence(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H));
        dialog.clearItemsOnExit->setChecked(true);
        dialog.synchronizeHistory->setChecked(false);
        dialog.confirmOnClear->setChecked(false);
        dialog.showPreviewsCheckBox->setChecked(true);
        dialog.listWidget->addItems({"snippet one", "  blanks  "});
        QSignalSpy accepted(&dialog, &QDialog::accepted);

        QTest::mouseClick(dialog.buttonBox->button(QDialogButtonBox::Ok), Qt::LeftButton);
        QCOMPARE(accepted.count(), 1);
        QVERIFY(!dialog.isVisible());

        // On disk at once, without waiting for QSettings' deferred write-back.
        const QMap<QString, QString> general = iniSection(QStringLiteral("General"));
        const QMap<QString, QString> expected{
            {"historyCount", "25"},
            {"displaySize", "120"},
            {"trim", "false"},
            {"platformExtensions", "true"},
            {"synchronizePSE", "1"},
            {"shortcut", "Ctrl+Shift+H"},
            {"clearItemsOnExit", "true"},
            {"synchronizeHistory", "false"},
            {"confirmClear", "false"},
            {"showPreviews", "true"},
            {"tray_icon_file", ":/icons/morv-clip.png"},
        };
        QCOMPARE(general, expected);
        const QMap<QString, QString> sticky = iniSection(QStringLiteral("sticky"));
        QCOMPARE(sticky.value("items\\size"), QStringLiteral("2"));
        QCOMPARE(sticky.value("items\\1\\text"), QStringLiteral("snippet one"));
        QCOMPARE(storedSticky(), QStringList({"snippet one", "  blanks  "}));

        // What the rest of the program reads back.
        QCOMPARE(preferences->historyCount(), 25);
        QVERIFY(preferences->synchronizePSEOnSelect());
        QVERIFY(!preferences->synchronizePSEInstantly());
        QVERIFY(preferences->showPreviews());
        QCOMPARE(QKeySequence(preferences->shortcut(), QKeySequence::NativeText),
                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H));
    }

    void cancelWritesNothing()
    {
        storeSticky({"kept"});
        preferences->setValue(QStringLiteral("historyCount"), 12);
        preferences->sync();
        const QByteArray before = fileContents();
        QVERIFY(!before.isEmpty());

        PreferencesDialog dialog;
        showAndWait(dialog);
        dialog.historyComboBox->setValue(3);
        dialog.listWidget->addItem(QStringLiteral("added"));
        dialog.buttonIconImage->menu()->actions().at(1)->trigger();
        QTest::mouseClick(dialog.buttonBox->button(QDialogButtonBox::Cancel), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));

        preferences->sync();
        QCOMPARE(fileContents(), before);
        QCOMPARE(preferences->historyCount(), 12);
        QCOMPARE(storedSticky(), QStringList({"kept"}));
    }

    void stickyButtonsFollowTheCurrentRow()
    {
        PreferencesDialog dialog;
        showAndWait(dialog);
        dialog.toolBox->setCurrentIndex(1);
        QCOMPARE(enabled(dialog), QStringLiteral("Add"));

        typeIntoInputDialog(QStringLiteral("first"));
        QTest::mouseClick(dialog.stickyAddButton, Qt::LeftButton);
        QCOMPARE(rows(dialog), QStringList({"first"}));
        QCOMPARE(enabled(dialog), QStringLiteral("Add Remove"));

        typeIntoInputDialog(QStringLiteral("second"));
        QTest::mouseClick(dialog.stickyAddButton, Qt::LeftButton);
        QCOMPARE(rows(dialog), QStringList({"first", "second"}));
        QCOMPARE(dialog.listWidget->currentRow(), 1);
        QCOMPARE(enabled(dialog), QStringLiteral("Add Remove Up"));

        // Down on the last row does nothing.
        QTest::mouseClick(dialog.stickyDownButton, Qt::LeftButton);
        QCOMPARE(rows(dialog), QStringList({"first", "second"}));

        QTest::mouseClick(dialog.stickyUpButton, Qt::LeftButton);
        QCOMPARE(rows(dialog), QStringList({"second", "first"}));
        QCOMPARE(dialog.listWidget->currentRow(), 0);
        QCOMPARE(enabled(dialog), QStringLiteral("Add Remove Down"));

        // Up on the first row does nothing.
        QTest::mouseClick(dialog.stickyUpButton, Qt::LeftButton);
        QCOMPARE(rows(dialog), QStringList({"second", "first"}));

        QTest::mouseClick(dialog.stickyDownButton, Qt::LeftButton);
        QCOMPARE(rows(dialog), QStringList({"first", "second"}));
        QCOMPARE(dialog.listWidget->currentRow(), 1);
        QCOMPARE(enabled(dialog), QStringLiteral("Add Remove Up"));

        // Removing the last row leaves one row: nothing to move.
        QTest::mouseClick(dialog.stickyRemoveButton, Qt::LeftButton);
        QCOMPARE(rows(dialog), QStringList({"first"}));
        QCOMPARE(dialog.listWidget->currentRow(), 0);
        QCOMPARE(enabled(dialog), QStringLiteral("Add Remove"));

        QTest::mouseClick(dialog.stickyRemoveButton, Qt::LeftButton);
        QCOMPARE(rows(dialog), QStringList());
        QCOMPARE(enabled(dialog), QStringLiteral("Add"));
        // With nothing left Remove is disabled; even clicked it does nothing.
        dialog.stickyRemoveButton->setEnabled(true);
        dialog.stickyRemoveButton->click();
        QCOMPARE(rows(dialog), QStringList());
    }

    void removingTheFirstOfThreeKeepsTheRuleRight()
    {
        storeSticky({"a", "b", "c"});
        PreferencesDialog dialog;
        showAndWait(dialog);
        QCOMPARE(enabled(dialog), QStringLiteral("Add Remove Down"));
        QTest::mouseClick(dialog.stickyRemoveButton, Qt::LeftButton);
        QCOMPARE(rows(dialog), QStringList({"b", "c"}));
        QCOMPARE(dialog.listWidget->currentRow(), 0);
        QCOMPARE(enabled(dialog), QStringLiteral("Add Remove Down"));
    }

    void addRefusesEmptyAndCancelledTexts()
    {
        PreferencesDialog dialog;
        showAndWait(dialog);
        typeIntoInputDialog(QString());
        QTest::mouseClick(dialog.stickyAddButton, Qt::LeftButton);
        typeIntoInputDialog(QStringLiteral("cancelled"), false);
        QTest::mouseClick(dialog.stickyAddButton, Qt::LeftButton);
        QCOMPARE(rows(dialog), QStringList());
        QCOMPARE(enabled(dialog), QStringLiteral("Add"));

        // Blanks only are a text like any other.
        typeIntoInputDialog(QStringLiteral("   "));
        QTest::mouseClick(dialog.stickyAddButton, Qt::LeftButton);
        QCOMPARE(rows(dialog), QStringList({"   "}));
    }

    void iconCanBeChosenOrReset()
    {
        const QString path = QDir::temp().filePath(
            QStringLiteral("morv-test-icon-%1.png").arg(QCoreApplication::applicationPid()));
        QImage image(24, 24, QImage::Format_ARGB32);
        image.fill(Qt::green);
        QVERIFY(image.save(path));
        preferences->setTrayIconFile(QStringLiteral("/nonexistent/icon.png"));

        PreferencesDialog dialog;
        showAndWait(dialog);
        // A stored file that is no image gives an empty icon, kept as it is.
        QVERIFY(dialog.buttonIconImage->icon().pixmap(20, 20).isNull());
        QCOMPARE(dialog.buttonIconImage->property("tray_icon").toString(),
                 QStringLiteral("/nonexistent/icon.png"));

        QMenu *menu = dialog.buttonIconImage->menu();
        QVERIFY(menu);
        QCOMPARE(menu->title(), QStringLiteral("Icon selection"));
        QCOMPARE(menu->actions().count(), 2);

        // Cancelling the file dialog changes nothing; the file dialog goes with it.
        whenModal<QFileDialog>([](QFileDialog *files) {
            QCOMPARE(files->fileMode(), QFileDialog::ExistingFile);
            QCOMPARE(files->labelText(QFileDialog::Accept), QStringLiteral("Select icon"));
            files->reject();
        });
        menu->actions().at(0)->trigger();
        QCOMPARE(dialog.buttonIconImage->property("tray_icon").toString(),
                 QStringLiteral("/nonexistent/icon.png"));
        QCOMPARE(dialog.findChildren<QFileDialog *>().count(), 0);

        // Entered into the file name field and confirmed with the dialog's own button.
        whenModal<QFileDialog>([path](QFileDialog *files) {
            auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            files->setDirectory(QFileInfo(path).absolutePath());
            name->setText(QFileInfo(path).fileName());
            QPushButton *select = nullptr;
            for (QPushButton *button : files->findChildren<QPushButton *>()) {
                if (button->text() == QLatin1String("Select icon"))
                    select = button;
            }
            QVERIFY(select);
            QTest::mouseClick(select, Qt::LeftButton);
        });
        menu->actions().at(0)->trigger();
        QCOMPARE(dialog.buttonIconImage->property("tray_icon").toString(), path);
        QCOMPARE(dialog.buttonIconImage->icon().pixmap(20, 20).toImage().pixelColor(10, 10),
                 QColor(Qt::green));
        QCOMPARE(dialog.findChildren<QFileDialog *>().count(), 0);

        menu->actions().at(1)->trigger();
        QCOMPARE(dialog.buttonIconImage->property("tray_icon").toString(),
                 QStringLiteral(":/icons/morv-clip.png"));
        QVERIFY(!dialog.buttonIconImage->icon().isNull());
        dialog.accept();
        QCOMPARE(iniSection(QStringLiteral("General")).value("tray_icon_file"),
                 QStringLiteral(":/icons/morv-clip.png"));
        QFile::remove(path);
    }
};

QTEST_MAIN(TestPreferencesDialog)
#include "tst_preferencesdialog.moc"

// SPDX-License-Identifier: GPL-2.0-or-later

#include "systray.h"

#include "clipboardwrap.h"
#include "itempresentation.h"
#include "model.h"
#include "pastecontroller.h"
#include "preferences.h"
#include "preferencesdialog.h"
#include "qfilteringmenuview.h"
#include "qxtglobalshortcut.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace Morv {

namespace {

QIcon themeIcon(const QString &name, const QString &fallback)
{
    return QIcon::fromTheme(name, QIcon(fallback));
}

// The tray icon of a paused history: the icon greyed, with a pause sign on a dark disc in its
// lower right quarter, so that it reads at a glance even at the size of a panel.
QIcon pausedIcon(const QIcon &normal)
{
    QIcon paused;
    for (const int size : {16, 22, 24, 32, 48, 64, 128}) {
        QPixmap pixmap = normal.pixmap(QSize(size, size), QIcon::Disabled);
        // An icon file that cannot be read gives an empty icon: the pause sign alone then.
        if (pixmap.isNull() || pixmap.size() != QSize(size, size)) {
            QPixmap square(size, size);
            square.fill(Qt::transparent);
            if (!pixmap.isNull()) {
                QPainter placing(&square);
                placing.drawPixmap((size - pixmap.width()) / 2, (size - pixmap.height()) / 2, pixmap);
            }
            pixmap = square;
        }
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF disc(size * 0.42, size * 0.42, size * 0.58, size * 0.58);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(40, 40, 40, 230));
        painter.drawEllipse(disc);
        painter.setBrush(Qt::white);
        const qreal barWidth = disc.width() * 0.18;
        const qreal barHeight = disc.height() * 0.5;
        const qreal top = disc.center().y() - barHeight / 2;
        painter.drawRect(QRectF(disc.center().x() - barWidth * 1.5, top, barWidth, barHeight));
        painter.drawRect(QRectF(disc.center().x() + barWidth * 0.5, top, barWidth, barHeight));
        painter.end();
        paused.addPixmap(pixmap);
    }
    return paused;
}

QKeySequence storedShortcut()
{
    return QKeySequence(Preferences::instance()->shortcut(), QKeySequence::NativeText);
}

// Keeps the hot key's own key presses away from the open history menu. The menu has the keyboard
// focus, so the presses of the combination reach it as ordinary key events as well: a QMenu
// closes itself on a bare Alt press (menu bar navigation), so Ctrl+Alt+V would close the menu
// with its Alt and the toggle would open it again on the V; and a combination such as Alt+O would
// choose an entry whose text makes O its mnemonic. The toggle has seen the combination already.
class HotKeyGuard : public QObject
{
public:
    HotKeyGuard(QxtGlobalShortcut *shortcut, QObject *parent)
        : QObject(parent)
        , shortcut(shortcut)
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const auto *press = static_cast<QKeyEvent *>(event);
        if (press->key() == Qt::Key_Alt)
            return true;
        const QKeySequence combination = shortcut->shortcut();
        return !combination.isEmpty() && press->keyCombination() == combination[0];
    }

private:
    QxtGlobalShortcut *shortcut;
};

} // namespace

Systray::Systray(QObject *parent)
    : QSystemTrayIcon(parent)
{
    setIcon(QIcon(Preferences::instance()->trayIconFile()));

    historyModel = new Model(this);

    trayMenu = new QMenu; // no parent: deleted by the destructor
    // The theme name is written as the desktop has always looked it up; the compiled-in image
    // stands in where the theme has no such icon.
    QAction *clear = trayMenu->addAction(
        themeIcon(QStringLiteral("edit-clear-hstory"), QStringLiteral(":/icons/edit-clear-history.png")),
        tr("C&lear clipboard history"));
    connect(clear, &QAction::triggered, this, &Systray::clear_history);
    QAction *configure = trayMenu->addAction(
        themeIcon(QStringLiteral("configure"), QStringLiteral(":/icons/configure.png")), tr("&Configure..."));
    connect(configure, &QAction::triggered, this, &Systray::editPreferences);
    // Stops the history for a moment (a password typed, a screen shared); not kept across a restart.
    pauseAction = trayMenu->addAction(tr("Pause history"));
    pauseAction->setCheckable(true);
    ClipboardWrap *clipboard = ClipboardWrap::instance();
    pauseAction->setChecked(clipboard->isPaused());
    connect(pauseAction, &QAction::toggled, clipboard, &ClipboardWrap::setPaused);
    connect(clipboard, &ClipboardWrap::pausedChanged, this, &Systray::showPaused);
    trayMenu->addSeparator();
    QAction *about = trayMenu->addAction(
        themeIcon(QStringLiteral("help-about"), QStringLiteral(":/icons/help-about.png")), tr("&About ..."));
    connect(about, &QAction::triggered, this, &Systray::showAbout);
    QAction *quit = trayMenu->addAction(
        themeIcon(QStringLiteral("application-exit"), QStringLiteral(":/icons/application-exit.png")),
        tr("&Quit"));
    connect(quit, &QAction::triggered, qApp, &QCoreApplication::quit);
    setContextMenu(trayMenu);
    // Like the context menu's icons, the history's are looked up in the theme now, not when the
    // menu opens.
    ItemPresentation::prepareIcons();

    menuView = new QFilteringMenuView; // no parent: deleted by the destructor
    menuView->setModel(historyModel);
    // Typing searches the whole text of each item, not only the beginning that the menu shows.
    menuView->setFilterRole(Model::TextRole);
    menuView->setWindowTitle(tr("morv-clip - a clipboard history applet"));
    menuView->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint);
    // The entry goes back to the clipboard before the menu closes.
    connect(menuView, &QMenuView::triggered, historyModel, &Model::indexTriggered);
    connect(menuView, &QMenuView::triggered, menuView, &QWidget::close);
    // Shift+Return or Shift+click: only the entry's text, for a paste without formatting.
    menuView->setAlternativeModifiers(Qt::ShiftModifier);
    connect(menuView, &QMenuView::alternativeTriggered, historyModel, &Model::indexTriggeredAsPlainText);
    connect(menuView, &QMenuView::alternativeTriggered, menuView, &QWidget::close);
    // With "pasteOnChoose", the paste keys follow in the window the user came from.
    new PasteController(menuView, historyModel, this);
    // The entries are rebuilt by now (the view's own handler runs first). A window whose size is
    // fixed is one the window manager floats: a tiling Wayland compositor (sway) would otherwise
    // tile the menu like an editor, across half the screen, and squeeze the user's windows to
    // make room for it.
    connect(menuView, &QMenu::aboutToShow, menuView, [this] { freezeMenuSize(); });
    // The larger previews of pictures are in the entries' tool tips, shown only with the previews.
    connect(menuView, &QMenu::aboutToShow, menuView,
            [this] { menuView->setToolTipsVisible(Preferences::instance()->showPreviews()); });
    connect(menuView, &QFilteringMenuView::shownEntriesChanged, menuView, [this] {
        if (menuView->isVisible())
            fitMenuSize();
    });

    shortcut = new QxtGlobalShortcut(this);
    // How the desktop lists the hot key where its portal binds it (Wayland).
    shortcut->setObjectName(QStringLiteral("history-menu"));
    shortcut->setDescription(tr("Open the clipboard history"));
    connect(shortcut, SIGNAL(activated()), this, SLOT(shortcut_activated()));
    shortcut->setShortcut(storedShortcut());

    connect(this, &QSystemTrayIcon::activated, this, &Systray::systray_activated);

    menuView->installEventFilter(new HotKeyGuard(shortcut, this));
}

Systray::~Systray()
{
    // Deleted here rather than with deleteLater(): at exit the event loop has ended and would
    // never run the deferred deletions.
    delete menuView;
    delete trayMenu;
}

void Systray::shortcut_activated()
{
    if (menuView->isVisible()) {
        menuView->hide();
        return;
    }
    menuView->popup(QCursor::pos());
    menuView->activateWindow();
    menuView->raise();
}

void Systray::freezeMenuSize()
{
    // A menu is never narrower than its minimum width: without this, the size of an earlier
    // opening (a long entry since gone, a long filter) would stay as a floor for good.
    menuView->setMinimumSize(0, 0);
    menuView->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    fitMenuSize();
}

void Systray::fitMenuSize()
{
    // While the user filters, the menu keeps its place and its width (its minimum by now), which
    // grows only for a filter wider than the menu; the height follows the entries left, so that a
    // few matches do not sit in a screen-high window.
    QSize size = menuView->sizeHint();
    const QScreen *screen = menuView->screen();
    if (screen)
        size = size.boundedTo(screen->availableGeometry().size());
    menuView->setFixedSize(size);
    if (screen && menuView->isVisible()) {
        // Grown past the bottom of the screen (all entries left and the filter entry on top): up
        // by as much, as the menu was placed when it opened. Wayland places windows itself.
        const QRect available = screen->availableGeometry();
        const QRect placed = menuView->geometry();
        if (placed.bottom() > available.bottom())
            menuView->move(placed.left(), std::max(available.top(), available.bottom() + 1 - size.height()));
    }
}

void Systray::systray_activated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger)
        shortcut_activated();
}

void Systray::clear_history()
{
    if (Preferences::instance()->confirmClear()) {
        const QMessageBox::StandardButton answer = QMessageBox::question(
            nullptr, tr("Confirm"), tr("Are you sure that you want to clear your clipboard history?"),
            QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
        if (answer != QMessageBox::Ok)
            return;
    }
    historyModel->clearHistory();
}

void Systray::editPreferences()
{
    PreferencesDialog dialog;
    if (dialog.exec() != QDialog::Accepted)
        return;
    shortcut->setShortcut(storedShortcut());
    historyModel->reloadSticky();
    historyModel->watchSelectionAsPreferred();
    applyTrayIcon();
}

void Systray::showPaused(bool paused)
{
    pauseAction->setChecked(paused);
    applyTrayIcon();
}

void Systray::applyTrayIcon()
{
    const QIcon icon(Preferences::instance()->trayIconFile());
    if (!ClipboardWrap::instance()->isPaused()) {
        setIcon(icon);
        setToolTip(QString());
        return;
    }
    setIcon(pausedIcon(icon));
    setToolTip(tr("morv-clip - the clipboard history is paused"));
}

void Systray::showAbout()
{
    QMessageBox box;
    box.setWindowIcon(QIcon(QStringLiteral(":/icons/morv-clip.png")));
    box.setIconPixmap(QPixmap(QStringLiteral(":/icons/morv-clip.png")));
    box.setWindowTitle(tr("About morv-clip"));
    box.setText(QStringLiteral("<h1>morv-clip</strong> %1</h1>").arg(QCoreApplication::applicationVersion()));
    box.setInformativeText(tr("Lightweight, clipboard history applet."
                              "<p>Credits:<ul>"
                              "<li>2026 The Morv desktop developers</li>"
                              "</ul>"
                              "<a href=\"https://morv.org/morv-clip\">https://morv.org/morv-clip</a>"
                              "<p>Support for global keyboard shortcut: %1")
                               .arg(QxtGlobalShortcut::isSupported() ? tr("Yes") : tr("No")));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

} // namespace Morv

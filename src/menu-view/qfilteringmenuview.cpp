// SPDX-License-Identifier: GPL-2.0-or-later

#include "qfilteringmenuview.h"

#include <QAction>
#include <QActionEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QModelIndex>

#include <algorithm>

namespace {

// Keys held for shortcuts: a combination with one of them is never typed text, whatever text the
// keyboard layout gives it (Alt+letter gives the letter, Ctrl+letter a control character).
constexpr Qt::KeyboardModifiers commandModifiers = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

// Text that can be part of a filter: no control characters (Tab, Return, Backspace, Escape and
// Delete give those). Format characters stay: emoji sequences are joined by one.
bool isTypedText(const QString &text)
{
    return !text.isEmpty() && std::none_of(text.cbegin(), text.cend(),
                                           [](QChar c) { return c.category() == QChar::Other_Control; });
}

QString withoutLastCharacter(const QString &text)
{
    qsizetype end = text.size() - 1;
    if (end > 0 && text.at(end).isLowSurrogate() && text.at(end - 1).isHighSurrogate())
        --end;
    return text.left(end);
}

QString escapedAmpersands(QString text)
{
    // An ampersand would make the next letter a mnemonic and vanish from the entry.
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

QFilteringMenuView::QFilteringMenuView(QWidget *parent)
    : QMenuView(parent)
{
    // Without it no input method or compose key sequence gives the menu its text: dead keys and
    // composed letters would vanish.
    setAttribute(Qt::WA_InputMethodEnabled);
}

QFilteringMenuView::~QFilteringMenuView() = default;

void QFilteringMenuView::setFilterRole(int filterRole)
{
    role = filterRole;
}

int QFilteringMenuView::filterRole() const
{
    return role;
}

QString QFilteringMenuView::filterText() const
{
    return filter;
}

void QFilteringMenuView::setFilterText(const QString &text)
{
    if (text == filter)
        return;
    const QString previous = filter;
    filter = text;
    applyFilter(previous);
}

bool QFilteringMenuView::addLeadingEntries()
{
    // The menu has just been cleared, and with it the entries of the last opening.
    entries.clear();
    filterEntry = nullptr;
    filterSeparator = nullptr;
    noMatchEntry = nullptr;
    filter.clear();
    preedit.clear();
    return QMenuView::addLeadingEntries();
}

void QFilteringMenuView::addTrailingEntries()
{
    QMenuView::addTrailingEntries();
    // Read now, while the indexes the entries carry are those of the rows shown: the model may
    // change under the open menu.
    const QList<QAction *> built = actions();
    entries.reserve(built.size());
    for (QAction *action : built) {
        const QVariant index = action->data();
        if (index.canConvert<QModelIndex>())
            entries.append({action, index.value<QModelIndex>().data(role).toString()});
    }
}

void QFilteringMenuView::applyFilter(const QString &previous)
{
    const bool filtering = !filter.isEmpty();
    if (filtering)
        addFilterEntries();

    // An open menu lays out all its entries again for every entry shown or hidden, which makes a
    // key press quadratic in the number of entries (60 ms for 99); once at the end is enough.
    holdingLayout = true;

    // A longer filter can only keep entries that the shorter one kept: those hidden stay hidden
    // without searching their (possibly very long) texts again.
    const bool narrowing = !previous.isEmpty() && filter.startsWith(previous, Qt::CaseInsensitive);
    // Searched case-sensitively in case-folded texts: a case-insensitive search folds every
    // character of a text at every key press, which takes tens of milliseconds once the entries
    // hold a few megabytes of text between them.
    const QString needle = filter.toCaseFolded();
    QAction *firstRemaining = nullptr;
    bool anyRemaining = false;
    for (Entry &entry : entries) {
        bool shown = !filtering;
        if (filtering && (!narrowing || entry.action->isVisible())) {
            if (!entry.folded) {
                entry.text = entry.text.toCaseFolded();
                entry.folded = true;
            }
            shown = entry.text.contains(needle);
        }
        if (entry.action->isVisible() != shown)
            entry.action->setVisible(shown);
        if (shown) {
            anyRemaining = true;
            if (!firstRemaining && entry.action->isEnabled())
                firstRemaining = entry.action;
        }
    }
    showFilterEntry();
    if (noMatchEntry)
        noMatchEntry->setVisible(filtering && !anyRemaining);
    holdingLayout = false;
    if (filterEntry) {
        QActionEvent changed(QEvent::ActionChanged, filterEntry);
        QMenuView::actionEvent(&changed);
    }

    // First, so that whoever fits the menu's size to the entries left does so before the active
    // entry is scrolled into view.
    Q_EMIT filterTextChanged(filter);
    Q_EMIT shownEntriesChanged();
    if (isVisible())
        setActiveAction(firstRemaining);
}

void QFilteringMenuView::addFilterEntries()
{
    // Made when first needed: until the user types, the menu is the plain view of the model.
    if (filterEntry)
        return;
    QAction *first = actions().value(0);
    filterEntry = new QAction(this);
    filterEntry->setEnabled(false);
    filterEntry->setVisible(false);
    insertAction(first, filterEntry);
    filterSeparator = insertSeparator(first);
    filterSeparator->setVisible(false);
    noMatchEntry = addAction(tr("No match"));
    noMatchEntry->setEnabled(false);
    noMatchEntry->setVisible(false);
}

void QFilteringMenuView::showFilterEntry()
{
    if (!filterEntry)
        return;
    const QString shown = filter + preedit;
    filterEntry->setText(escapedAmpersands(shown));
    filterEntry->setVisible(!shown.isEmpty());
    filterSeparator->setVisible(!shown.isEmpty());
}

void QFilteringMenuView::actionEvent(QActionEvent *event)
{
    if (holdingLayout && event->type() == QEvent::ActionChanged)
        return;
    QMenuView::actionEvent(event);
}

void QFilteringMenuView::keyPressEvent(QKeyEvent *event)
{
    const bool command = event->modifiers() & commandModifiers;
    if (event->key() == Qt::Key_Escape && !filter.isEmpty()) {
        setFilterText(QString());
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Backspace && !command) {
        if (!filter.isEmpty())
            setFilterText(withoutLastCharacter(filter));
        event->accept();
        return;
    }
    // Space chooses the active entry, as in any menu, until a filter is under way: then it is
    // the blank between two words.
    const bool choosing = event->key() == Qt::Key_Space && filter.isEmpty();
    if (!command && !choosing && isTypedText(event->text())) {
        setFilterText(filter + event->text());
        event->accept();
        return;
    }
    QMenuView::keyPressEvent(event);
}

void QFilteringMenuView::inputMethodEvent(QInputMethodEvent *event)
{
    const bool composing = event->preeditString() != preedit;
    preedit = event->preeditString();
    if (isTypedText(event->commitString())) {
        setFilterText(filter + event->commitString());
    } else if (composing) {
        if (!preedit.isEmpty())
            addFilterEntries();
        showFilterEntry();
        Q_EMIT shownEntriesChanged();
    }
    event->accept();
}

QVariant QFilteringMenuView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImHints:
        return int(Qt::ImhNoAutoUppercase | Qt::ImhNoPredictiveText);
    case Qt::ImCursorRectangle:
        // Where an input method puts its window: at the filter entry, or above the first entry.
        if (filterEntry && filterEntry->isVisible())
            return actionGeometry(filterEntry);
        return QRect(0, 0, width(), 0);
    case Qt::ImSurroundingText:
    case Qt::ImTextBeforeCursor:
        return filter;
    case Qt::ImTextAfterCursor:
        return QString();
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition:
        return int(filter.size());
    default:
        return QMenuView::inputMethodQuery(query);
    }
}

void QFilteringMenuView::hideEvent(QHideEvent *event)
{
    QMenuView::hideEvent(event);
    // A filter is for one look into the menu; the next opening shows every entry again.
    preedit.clear();
    setFilterText(QString());
}

// SPDX-License-Identifier: GPL-2.0-or-later

#include "portalshortcutbinding.h"

#include "globalshortcutsportal.h"
#include "portalrequest.h"
#include "portalshortcut.h"
#include "xdgshortcuttrigger.h"

#include <QDBusArgument>
#include <QDBusObjectPath>

#include <algorithm>

namespace {

QString nextSessionToken()
{
    static quint64 counter = 0;
    return QStringLiteral("qxt_session_%1").arg(++counter);
}

QString describeResponse(uint response, const QString &error)
{
    if (!error.isEmpty())
        return error;
    if (response == PortalRequest::Cancelled)
        return QStringLiteral("declined on the desktop");
    return QStringLiteral("the desktop's portal failed");
}

// The session handle of a CreateSession response: a string, as the portals send it, or an object
// path, as the documentation wished it were.
QString sessionHandleOf(const QVariantMap &results)
{
    const QVariant handle = results.value(QStringLiteral("session_handle"));
    if (handle.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return handle.value<QDBusObjectPath>().path();
    return handle.toString();
}

PortalShortcutList shortcutsOf(const QVariantMap &results)
{
    const QVariant shortcuts = results.value(QStringLiteral("shortcuts"));
    if (shortcuts.metaType() == QMetaType::fromType<QDBusArgument>())
        return qdbus_cast<PortalShortcutList>(shortcuts.value<QDBusArgument>());
    return shortcuts.value<PortalShortcutList>();
}

} // namespace

PortalShortcutBinding::PortalShortcutBinding(const QString &shortcutId, QObject *parent)
    : QObject(parent)
    , id(shortcutId)
{
    GlobalShortcutsPortal *portal = GlobalShortcutsPortal::instance();
    connect(portal, &GlobalShortcutsPortal::stateChanged, this, &PortalShortcutBinding::onPortalStateChanged);
    connect(portal, &GlobalShortcutsPortal::activated, this, &PortalShortcutBinding::onActivated);
}

PortalShortcutBinding::~PortalShortcutBinding()
{
    dropSession();
}

bool PortalShortcutBinding::bind(QKeyCombination wanted, const QString &text)
{
    release();
    combination = wanted;
    description = text;
    GlobalShortcutsPortal *portal = GlobalShortcutsPortal::instance();
    portal->check();
    switch (portal->state()) {
    case GlobalShortcutsPortal::State::Unavailable:
        stage = Stage::Failed;
        lastError = portal->unavailableReason();
        return false;
    case GlobalShortcutsPortal::State::Available:
        createSession();
        return true;
    default:
        stage = Stage::WaitingForPortal;
        return true;
    }
}

void PortalShortcutBinding::release()
{
    dropSession();
    stage = Stage::Idle;
    lastError.clear();
}

void PortalShortcutBinding::dropSession()
{
    if (!session.isEmpty())
        GlobalShortcutsPortal::instance()->closeSession(session);
    session.clear();
    if (!pending)
        return;
    // Whatever the request answers now belongs to no binding of this object's.
    disconnect(pending, nullptr, this, nullptr);
    if (stage == Stage::CreatingSession) {
        // A session on its way is closed when it comes; the request outlives this object for
        // that, in the portal's care. (A shortcut on its way goes with its session.)
        PortalRequest *request = pending;
        connect(request, &PortalRequest::finished, request,
                [request](uint response, const QVariantMap &results) {
                    const QString orphan = sessionHandleOf(results);
                    if (response == PortalRequest::Success && !orphan.isEmpty())
                        GlobalShortcutsPortal::instance()->closeSession(orphan);
                    request->deleteLater();
                });
        request->setParent(GlobalShortcutsPortal::instance());
    } else {
        pending->deleteLater();
    }
    pending = nullptr;
}

void PortalShortcutBinding::onPortalStateChanged()
{
    GlobalShortcutsPortal *portal = GlobalShortcutsPortal::instance();
    switch (portal->state()) {
    case GlobalShortcutsPortal::State::Unknown:
        // The portal went away or was replaced: our session went with it.
        if (stage == Stage::Idle || stage == Stage::Failed)
            return;
        session.clear();
        if (pending) {
            disconnect(pending, nullptr, this, nullptr);
            pending->deleteLater();
            pending = nullptr;
        }
        // The answer comes back here, at once where there is no portal left.
        stage = Stage::WaitingForPortal;
        portal->check();
        return;
    case GlobalShortcutsPortal::State::Available:
        if (stage == Stage::WaitingForPortal)
            createSession();
        return;
    case GlobalShortcutsPortal::State::Unavailable:
        if (stage == Stage::WaitingForPortal)
            fail(portal->unavailableReason());
        return;
    case GlobalShortcutsPortal::State::Checking:
        return;
    }
}

void PortalShortcutBinding::createSession()
{
    GlobalShortcutsPortal *portal = GlobalShortcutsPortal::instance();
    stage = Stage::CreatingSession;
    pending = new PortalRequest(portal->connection(), this);
    PortalRequest *request = pending;
    connect(request, &PortalRequest::finished, this,
            [this, request](uint response, const QVariantMap &results, const QString &error) {
                sessionCreated(request, response, results, error);
            });
    request->send(GlobalShortcutsPortal::interface, QStringLiteral("CreateSession"), {},
                  {{QStringLiteral("session_handle_token"), nextSessionToken()}});
}

void PortalShortcutBinding::sessionCreated(PortalRequest *request, uint response, const QVariantMap &results,
                                           const QString &error)
{
    request->deleteLater();
    pending = nullptr;
    if (response != PortalRequest::Success) {
        fail(QStringLiteral("no session: ") + describeResponse(response, error));
        return;
    }
    session = sessionHandleOf(results);
    if (session.isEmpty()) {
        fail(QStringLiteral("no session: the portal named none"));
        return;
    }
    bindShortcut();
}

void PortalShortcutBinding::bindShortcut()
{
    GlobalShortcutsPortal *portal = GlobalShortcutsPortal::instance();
    stage = Stage::Binding;
    QVariantMap properties{{QStringLiteral("description"), description}};
    // A key without a keysym name is left to the user to choose on the desktop.
    const QString trigger = XdgShortcutTrigger::fromKeyCombination(combination);
    if (!trigger.isEmpty())
        properties.insert(QStringLiteral("preferred_trigger"), trigger);
    const PortalShortcutList shortcuts{{id, properties}};

    pending = new PortalRequest(portal->connection(), this);
    PortalRequest *request = pending;
    connect(request, &PortalRequest::finished, this,
            [this, request](uint response, const QVariantMap &results, const QString &error) {
                request->deleteLater();
                pending = nullptr;
                shortcutBound(response, results, error);
            });
    // No parent window: the hot key belongs to no window of ours.
    request->send(GlobalShortcutsPortal::interface, QStringLiteral("BindShortcuts"),
                  {QVariant::fromValue(QDBusObjectPath(session)), QVariant::fromValue(shortcuts), QString()},
                  {});
}

void PortalShortcutBinding::shortcutBound(uint response, const QVariantMap &results, const QString &error)
{
    if (response != PortalRequest::Success) {
        fail(describeResponse(response, error));
        return;
    }
    const PortalShortcutList bound = shortcutsOf(results);
    const bool ours = std::any_of(bound.cbegin(), bound.cend(),
                                  [this](const PortalShortcut &shortcut) { return shortcut.id == id; });
    if (!ours) {
        fail(QStringLiteral("the desktop bound no shortcut"));
        return;
    }
    stage = Stage::Bound;
    lastError.clear();
    Q_EMIT finished(true);
}

void PortalShortcutBinding::fail(const QString &why)
{
    // A session without its shortcut is of no use to anyone.
    dropSession();
    stage = Stage::Failed;
    lastError = why;
    Q_EMIT finished(false);
}

void PortalShortcutBinding::onActivated(const QString &sessionHandle, const QString &shortcutId)
{
    if (stage == Stage::Bound && sessionHandle == session && shortcutId == id)
        Q_EMIT activated();
}

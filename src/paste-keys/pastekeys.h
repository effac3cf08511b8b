// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QObject>
#include <QStringList>

#include <memory>

// Presses the paste keys in another program's window: the window that had the keyboard focus
// before one of ours took it. One backend serves the whole process, chosen from the Qt platform
// when the instance is first asked for: XTest under X11, the virtual keyboard protocol under a
// Wayland compositor that offers it, else none that can (availability() says why).
//
// The use: remember the target as the program's window is about to take the focus, and paste once
// there is something to paste and the window has closed. The keys go out only once the focus is
// back on the target and with no window of this program focused, never into the desktop or one
// of this program's windows; a target that does not get the focus back within focusWait gets
// nothing (one warning).
class PasteKeys : public QObject
{
    Q_OBJECT

public:
    // Whether keys can be sent at all, and else why not.
    enum class Availability {
        Available,
        NoXTest,            // the X server has no XTEST extension
        NoVirtualKeyboard,  // the Wayland compositor offers no zwp_virtual_keyboard_manager_v1
        UnsupportedPlatform // neither X11 nor Wayland (or built without their backends)
    };

    // How long a paste waits for the focus to come back to its target, in ms.
    static constexpr int focusWait = 1500;

    ~PasteKeys() override;

    // The process-wide backend; needs the application object.
    static PasteKeys *instance();
    // Makes the given backend the process-wide one from now on (tests hand in fakes).
    static void setInstance(std::unique_ptr<PasteKeys> keys);

    virtual Availability availability() const = 0;
    bool isAvailable() const { return availability() == Availability::Available; }

    // Takes the window that has the keyboard focus now as the target of the next paste. Nothing
    // is taken when that is one of this program's windows, the desktop or no window at all: the
    // next paste then sends nothing. Under Wayland no program may know another's window: the
    // target is whatever has the focus once this program's windows have let it go.
    virtual void rememberTarget() = 0;
    virtual bool hasTarget() const = 0;
    // Whether the target's window class is known, and so whether the terminals get Ctrl+Shift+V.
    virtual bool knowsWindowClass() const { return isAvailable(); }

    // Sends Ctrl+V to the target, or Ctrl+Shift+V when its window class (X11: either name of
    // WM_CLASS) is one of terminalClasses (any case), once it has the focus back; returns at once,
    // finished() follows. The target is forgotten: the next paste needs the next rememberTarget().
    virtual void paste(const QStringList &terminalClasses) = 0;

    // Whether a window class is one of the list, as paste() decides.
    static bool isTerminal(const QStringList &windowClasses, const QStringList &terminalClasses);

Q_SIGNALS:
    // The end of a paste(): whether the keys went out, and the class of the window they went to.
    void finished(bool sent, const QString &windowClass);

protected:
    explicit PasteKeys(QObject *parent = nullptr);
};

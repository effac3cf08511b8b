// SPDX-License-Identifier: GPL-2.0-or-later

#include "xdgshortcuttrigger.h"

#include <QStringList>

#include <utility>

namespace {

// Keys whose Qt code is no character, and the printable ASCII characters, by their keysym names
// (the names of X11's keysymdef.h, which XKB uses too).
const std::pair<Qt::Key, const char *> keyNames[] = {
    {Qt::Key_Escape, "Escape"},
    {Qt::Key_Tab, "Tab"},
    {Qt::Key_Backtab, "ISO_Left_Tab"},
    {Qt::Key_Backspace, "BackSpace"},
    {Qt::Key_Return, "Return"},
    {Qt::Key_Enter, "KP_Enter"},
    {Qt::Key_Insert, "Insert"},
    {Qt::Key_Delete, "Delete"},
    {Qt::Key_Pause, "Pause"},
    {Qt::Key_Print, "Print"},
    {Qt::Key_SysReq, "Sys_Req"},
    {Qt::Key_Clear, "Clear"},
    {Qt::Key_Home, "Home"},
    {Qt::Key_End, "End"},
    {Qt::Key_Left, "Left"},
    {Qt::Key_Up, "Up"},
    {Qt::Key_Right, "Right"},
    {Qt::Key_Down, "Down"},
    {Qt::Key_PageUp, "Prior"},
    {Qt::Key_PageDown, "Next"},
    {Qt::Key_CapsLock, "Caps_Lock"},
    {Qt::Key_NumLock, "Num_Lock"},
    {Qt::Key_ScrollLock, "Scroll_Lock"},
    {Qt::Key_Menu, "Menu"},
    {Qt::Key_Help, "Help"},
    {Qt::Key_Space, "space"},
    {Qt::Key_Exclam, "exclam"},
    {Qt::Key_QuoteDbl, "quotedbl"},
    {Qt::Key_NumberSign, "numbersign"},
    {Qt::Key_Dollar, "dollar"},
    {Qt::Key_Percent, "percent"},
    {Qt::Key_Ampersand, "ampersand"},
    {Qt::Key_Apostrophe, "apostrophe"},
    {Qt::Key_ParenLeft, "parenleft"},
    {Qt::Key_ParenRight, "parenright"},
    {Qt::Key_Asterisk, "asterisk"},
    {Qt::Key_Plus, "plus"},
    {Qt::Key_Comma, "comma"},
    {Qt::Key_Minus, "minus"},
    {Qt::Key_Period, "period"},
    {Qt::Key_Slash, "slash"},
    {Qt::Key_Colon, "colon"},
    {Qt::Key_Semicolon, "semicolon"},
    {Qt::Key_Less, "less"},
    {Qt::Key_Equal, "equal"},
    {Qt::Key_Greater, "greater"},
    {Qt::Key_Question, "question"},
    {Qt::Key_At, "at"},
    {Qt::Key_BracketLeft, "bracketleft"},
    {Qt::Key_Backslash, "backslash"},
    {Qt::Key_BracketRight, "bracketright"},
    {Qt::Key_AsciiCircum, "asciicircum"},
    {Qt::Key_Underscore, "underscore"},
    {Qt::Key_QuoteLeft, "grave"},
    {Qt::Key_BraceLeft, "braceleft"},
    {Qt::Key_Bar, "bar"},
    {Qt::Key_BraceRight, "braceright"},
    {Qt::Key_AsciiTilde, "asciitilde"},
    {Qt::Key_VolumeDown, "XF86AudioLowerVolume"},
    {Qt::Key_VolumeMute, "XF86AudioMute"},
    {Qt::Key_VolumeUp, "XF86AudioRaiseVolume"},
    {Qt::Key_MediaPlay, "XF86AudioPlay"},
    {Qt::Key_MediaStop, "XF86AudioStop"},
    {Qt::Key_MediaPrevious, "XF86AudioPrev"},
    {Qt::Key_MediaNext, "XF86AudioNext"},
    {Qt::Key_MediaPause, "XF86AudioPause"},
    {Qt::Key_Back, "XF86Back"},
    {Qt::Key_Forward, "XF86Forward"},
    {Qt::Key_Refresh, "XF86Reload"},
    {Qt::Key_Stop, "XF86Stop"},
    {Qt::Key_HomePage, "XF86HomePage"},
    {Qt::Key_Search, "XF86Search"},
    {Qt::Key_LaunchMail, "XF86Mail"},
    {Qt::Key_Calculator, "XF86Calculator"},
    {Qt::Key_Sleep, "XF86Sleep"},
    {Qt::Key_PowerOff, "XF86PowerOff"},
};

// The keys of the numeric keypad, told apart from their twins by Qt::KeypadModifier.
const std::pair<Qt::Key, const char *> keypadNames[] = {
    {Qt::Key_Plus, "KP_Add"},      {Qt::Key_Minus, "KP_Subtract"}, {Qt::Key_Asterisk, "KP_Multiply"},
    {Qt::Key_Slash, "KP_Divide"},  {Qt::Key_Period, "KP_Decimal"}, {Qt::Key_Comma, "KP_Separator"},
    {Qt::Key_Equal, "KP_Equal"},   {Qt::Key_Enter, "KP_Enter"},    {Qt::Key_Home, "KP_Home"},
    {Qt::Key_End, "KP_End"},       {Qt::Key_Left, "KP_Left"},      {Qt::Key_Up, "KP_Up"},
    {Qt::Key_Right, "KP_Right"},   {Qt::Key_Down, "KP_Down"},      {Qt::Key_PageUp, "KP_Prior"},
    {Qt::Key_PageDown, "KP_Next"}, {Qt::Key_Insert, "KP_Insert"},  {Qt::Key_Delete, "KP_Delete"},
};

template<std::size_t N>
QString lookUp(const std::pair<Qt::Key, const char *> (&table)[N], Qt::Key key)
{
    for (const auto &[tableKey, name] : table) {
        if (tableKey == key)
            return QString::fromLatin1(name);
    }
    return QString();
}

QString keyName(Qt::Key key, bool keypad)
{
    if (keypad) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            return QStringLiteral("KP_") + QLatin1Char(char(key));
        const QString name = lookUp(keypadNames, key);
        if (!name.isEmpty())
            return name;
    }
    if ((key >= Qt::Key_0 && key <= Qt::Key_9))
        return QString(QLatin1Char(char(key)));
    // Qt names a letter key by its capital; the key's own keysym is the small letter (the capital
    // is what Shift makes of it).
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return QString(QLatin1Char(char(key - Qt::Key_A + 'a')));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return QStringLiteral("F%1").arg(key - Qt::Key_F1 + 1);
    const QString name = lookUp(keyNames, key);
    if (!name.isEmpty())
        return name;
    // Any other character key: XKB reads "U" and the code point in hexadecimal as the keysym of
    // that character (the Latin-1 ones included).
    const char32_t code = key;
    if (code >= 0xa0 && code < 0x01000000 && !(code >= 0xd800 && code < 0xe000)) {
        const char32_t small = QChar::toLower(code);
        return QStringLiteral("U%1").arg(quint32(small), 4, 16, QLatin1Char('0')).toUpper();
    }
    return QString();
}

} // namespace

namespace XdgShortcutTrigger {

QString fromKeyCombination(QKeyCombination combination)
{
    const QString key = keyName(combination.key(), combination.keyboardModifiers() & Qt::KeypadModifier);
    if (key.isEmpty())
        return QString();
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    QStringList parts;
    if (modifiers & Qt::ControlModifier)
        parts << QStringLiteral("CTRL");
    if (modifiers & Qt::AltModifier)
        parts << QStringLiteral("ALT");
    if (modifiers & Qt::ShiftModifier)
        parts << QStringLiteral("SHIFT");
    if (modifiers & Qt::MetaModifier)
        parts << QStringLiteral("LOGO");
    parts << key;
    return parts.join(QLatin1Char('+'));
}

} // namespace XdgShortcutTrigger

// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

// A keyboard a test presses keys on, as a person would, where the compositor has a way in for
// emulated input (KWin's fake input device, mutter's remote desktop session). Keys are Linux input
// event codes, as the compositors take them; characters and key names are translated for a US
// layout, the compositors' default.

#include <QChar>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QThread>

#include <linux/input-event-codes.h>

#include <optional>

class VirtualKeyboard
{
public:
    virtual ~VirtualKeyboard() = default;

    // Presses (or releases) the key and returns once the compositor has taken the event in.
    virtual bool key(int code, bool pressed) = 0;

    bool tap(int code) { return key(code, true) && key(code, false); }

    // Keys by name, separated by spaces, as xkb names them: "Down Down Return", "Escape".
    bool pressKeys(const QString &names)
    {
        for (const QString &name : names.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const std::optional<int> code = codeOfName(name);
            if (!code || !tap(*code))
                return false;
            pause();
        }
        return true;
    }

    // Types the text: letters (either case), digits and spaces.
    bool typeText(const QString &text)
    {
        for (const QChar character : text) {
            const std::optional<int> code = codeOfCharacter(character.toLower());
            if (!code)
                return false;
            const bool shifted = character.isUpper();
            if (shifted && !key(KEY_LEFTSHIFT, true))
                return false;
            const bool typed = tap(*code);
            if (shifted && !key(KEY_LEFTSHIFT, false))
                return false;
            if (!typed)
                return false;
            pause();
        }
        return true;
    }

    static std::optional<int> codeOfName(const QString &name)
    {
        static const QHash<QString, int> codes{
            {QStringLiteral("Down"), KEY_DOWN},           {QStringLiteral("Up"), KEY_UP},
            {QStringLiteral("Return"), KEY_ENTER},        {QStringLiteral("Escape"), KEY_ESC},
            {QStringLiteral("BackSpace"), KEY_BACKSPACE}, {QStringLiteral("Shift_L"), KEY_LEFTSHIFT},
        };
        const auto found = codes.constFind(name);
        if (found != codes.cend())
            return *found;
        return name.size() == 1 ? codeOfCharacter(name.at(0)) : std::nullopt;
    }

    static std::optional<int> codeOfCharacter(QChar character)
    {
        // The letters in alphabetical order, by their place on the keyboard.
        static const int letters[26] = {KEY_A, KEY_B, KEY_C, KEY_D, KEY_E, KEY_F, KEY_G, KEY_H, KEY_I,
                                        KEY_J, KEY_K, KEY_L, KEY_M, KEY_N, KEY_O, KEY_P, KEY_Q, KEY_R,
                                        KEY_S, KEY_T, KEY_U, KEY_V, KEY_W, KEY_X, KEY_Y, KEY_Z};
        const char16_t c = character.unicode();
        if (c >= u'a' && c <= u'z')
            return letters[c - u'a'];
        if (c == u'0')
            return KEY_0;
        if (c >= u'1' && c <= u'9')
            return KEY_1 + (c - u'1');
        if (c == u' ')
            return KEY_SPACE;
        return std::nullopt;
    }

private:
    // A person's pace: the program redraws the menu between two keys.
    static void pause() { QThread::msleep(30); }
};

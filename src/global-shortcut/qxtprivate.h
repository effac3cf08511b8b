// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

// Common base of the private parts of the Qxt components. The public object owns its private part
// and sets the back pointer once the private part exists, so the private part can reach the public
// object (to emit its signals) without a cyclic include.
template<typename T>
class QxtPrivate
{
public:
    virtual ~QxtPrivate() {}

    T *publicObject = nullptr;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Error.h"

// A tag that cannot be read or written; the message names the file and the
// cause and is shown to the user as it is.
class TagError : public Error {
public:
    using Error::Error;
};

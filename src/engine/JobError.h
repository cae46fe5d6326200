// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Error.h"

// A condition that ends a job before or while it runs (an unusable output
// folder, a join target that is one of its sources); the message names the
// file and the cause.
class JobError : public Error {
public:
    using Error::Error;
};

#pragma once

#include <functional>

namespace testsupport {

// Runs a check in a child process without root's privileges (as "nobody"),
// where permissions hold; the test fails unless the check returns true.
// Folders and files the child needs must be open to it.
void asUnprivileged(const std::function<bool()>& check);

} // namespace testsupport

// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/UnfinishedFile.h"

#include <atomic>
#include <cstring>
#include <unistd.h>
#include <utility>

namespace {

// One slot per file written at once; beyond that a file is still written,
// only not removed on a signal.
constexpr int kSlots = 512;
std::atomic<char*> listed[kSlots];
// Set by removeAll() before it reads the list: a name taken off the list
// from then on is left allocated, as the handler may still be reading it.
std::atomic<bool> removing{false};
static_assert(std::atomic<char*>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the list is read from a signal handler");

} // namespace

UnfinishedFile::UnfinishedFile(const QByteArray& pattern)
    : m_name(new char[size_t(pattern.size()) + 1])
{
    std::memcpy(m_name, pattern.constData(), size_t(pattern.size()) + 1);
    for (int i = 0; i < kSlots; ++i) {
        char* expected = nullptr;
        if (listed[i].compare_exchange_strong(expected, m_name)) {
            m_slot = i;
            break;
        }
    }
}

UnfinishedFile::~UnfinishedFile()
{
    clear();
}

UnfinishedFile::UnfinishedFile(UnfinishedFile&& other) noexcept
    : m_name(std::exchange(other.m_name, nullptr)), m_slot(std::exchange(other.m_slot, -1))
{
}

UnfinishedFile& UnfinishedFile::operator=(UnfinishedFile&& other) noexcept
{
    if (this != &other) {
        clear();
        m_name = std::exchange(other.m_name, nullptr);
        m_slot = std::exchange(other.m_slot, -1);
    }
    return *this;
}

void UnfinishedFile::clear()
{
    if (m_slot >= 0)
        listed[m_slot].exchange(nullptr);
    if (m_slot < 0 || !removing.load())
        delete[] m_name;
    m_name = nullptr;
    m_slot = -1;
}

void UnfinishedFile::removeAll()
{
    removing.store(true);
    for (std::atomic<char*>& slot : listed) {
        if (const char* name = slot.load())
            ::unlink(name);
    }
}

#include "storage/ledger_lock.h"

#include "storage/ledger_file.h"

namespace kpv::import {

LedgerLock::LedgerLock(const QString &ledgerPath) : m_lock(LedgerFile(ledgerPath).lockPath())
{
    // A lock left by a crashed client is taken over after the same time the
    // appends wait; a live holder is never taken over (its native lock).
    m_lock.setStaleLockTime(30000);
}

bool LedgerLock::tryLock(int timeoutMs)
{
    return m_lock.tryLock(timeoutMs);
}

} // namespace kpv::import

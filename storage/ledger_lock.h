#pragma once
// The ledger lock held for a whole series of writes.
//
// It is the lock file beside the ledger that every client takes for an
// append (the same file name), so while an import rewrites records 1..n no
// other client appends or registers in between. The lock is released when
// the object goes, also when the import leaves early.

#include <QLockFile>
#include <QString>

namespace kpv::import {

class LedgerLock {
public:
    explicit LedgerLock(const QString &ledgerPath);
    LedgerLock(const LedgerLock &) = delete;
    LedgerLock &operator=(const LedgerLock &) = delete;

    // Waits up to timeoutMs for another client's lock. False when it stays taken.
    bool tryLock(int timeoutMs = 10000);
    bool isLocked() const { return m_lock.isLocked(); }

private:
    QLockFile m_lock;
};

} // namespace kpv::import

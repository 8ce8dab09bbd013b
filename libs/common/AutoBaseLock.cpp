#include "ROVA_Common.h"

CAutoBaseLock::CAutoBaseLock(CBaseLock& lock) : lock_(&lock) { lock_->Lock(); }

CAutoBaseLock::CAutoBaseLock(CBaseLock* lock) : lock_(lock) {
    if (lock_) lock_->Lock();
}

CAutoBaseLock::~CAutoBaseLock() {
    if (lock_) lock_->Unlock();
}

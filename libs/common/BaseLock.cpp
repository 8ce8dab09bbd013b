#include "ROVA_Common.h"

CBaseLock::CBaseLock() { InitializeCriticalSection(&section_); }
CBaseLock::~CBaseLock() { DeleteCriticalSection(&section_); }
void CBaseLock::Lock() { EnterCriticalSection(&section_); }
void CBaseLock::Unlock() { LeaveCriticalSection(&section_); }

#include "ROVA_Common.h"

#include <cwchar>

namespace {
// Waits for an overlapped operation at most timeoutMs (0 = no limit); cancels it on time-out.
// Returns the bytes transferred, or -1 on failure.
int FinishOverlapped(HANDLE handle, BOOL started, OVERLAPPED& overlapped, DWORD timeoutMs) {
    DWORD transferred = 0;
    if (!started) {
        if (GetLastError() != ERROR_IO_PENDING) return -1;
        DWORD wait = WaitForSingleObject(overlapped.hEvent, timeoutMs ? timeoutMs : INFINITE);
        if (wait != WAIT_OBJECT_0) CancelIo(handle);
        // After a cancel this waits until the driver gave the operation back; bytes already
        // moved are still reported.
        if (!GetOverlappedResult(handle, &overlapped, &transferred, TRUE)) {
            DWORD error = GetLastError();
            if (error != ERROR_OPERATION_ABORTED) return -1;
        }
        return static_cast<int>(transferred);
    }
    if (!GetOverlappedResult(handle, &overlapped, &transferred, FALSE)) return -1;
    return static_cast<int>(transferred);
}
}  // namespace

CSerialUtil::CSerialUtil() = default;

CSerialUtil::~CSerialUtil() { CloseSerial(); }

int CSerialUtil::OpenSerial(int port, unsigned long baud) {
    CAutoBaseLock open(openLock_);
    CloseSerial();
    if (port < 1 || port > 255 || baud == 0) return 0;
    wchar_t name[32];
    swprintf(name, 32, L"\\\\.\\COM%d", port);
    HANDLE handle = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return 0;

    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (!GetCommState(handle, &dcb)) {
        CloseHandle(handle);
        return 0;
    }
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(handle, &dcb)) {
        CloseHandle(handle);
        return 0;
    }
    // Reads return at once with what has arrived (Read waits between them); writes are limited
    // by waiting on the overlapped operation.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    SetCommTimeouts(handle, &timeouts);
    PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
    handle_ = handle;
    return 1;
}

int CSerialUtil::IsOpened() const { return handle_ != INVALID_HANDLE_VALUE ? 1 : 0; }

void CSerialUtil::CloseSerial() {
    CAutoBaseLock open(openLock_);
    if (handle_ == INVALID_HANDLE_VALUE) return;
    HANDLE handle = handle_;
    // Wake a blocked reader or writer before the handle goes away, then wait for them.
    InterlockedExchange(&closing_, 1);
    CancelIoEx(handle, nullptr);
    CAutoBaseLock write(writeLock_);
    CAutoBaseLock read(readLock_);
    handle_ = INVALID_HANDLE_VALUE;
    CloseHandle(handle);
    InterlockedExchange(&closing_, 0);
}

int CSerialUtil::Write(const void* bytes, int length, DWORD timeoutMs, int, int, int) {
    CAutoBaseLock write(writeLock_);
    HANDLE handle = handle_;
    if (handle == INVALID_HANDLE_VALUE || length < 0 || (!bytes && length > 0)) return -1;
    if (length == 0) return 0;
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!overlapped.hEvent) return -1;
    BOOL started = WriteFile(handle, bytes, static_cast<DWORD>(length), nullptr, &overlapped);
    int result = FinishOverlapped(handle, started, overlapped, timeoutMs);
    CloseHandle(overlapped.hEvent);
    return result;
}

int CSerialUtil::Read(void* buffer, int length, DWORD timeoutMs) {
    CAutoBaseLock read(readLock_);
    HANDLE handle = handle_;
    if (handle == INVALID_HANDLE_VALUE || length < 0 || (!buffer && length > 0)) return -1;
    if (length == 0) return 0;
    // Waits in short steps for input instead of relying on the driver's read time-outs: drivers
    // (and emulators) differ in how they honour them, the input count is the same everywhere.
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        // Read only what the driver already holds, so the read itself never waits.
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(handle, &errors, &status)) return -1;
        if (status.cbInQue > 0) {
            DWORD want = status.cbInQue < static_cast<DWORD>(length) ? status.cbInQue : static_cast<DWORD>(length);
            OVERLAPPED overlapped{};
            overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            if (!overlapped.hEvent) return -1;
            BOOL started = ReadFile(handle, buffer, want, nullptr, &overlapped);
            int got = FinishOverlapped(handle, started, overlapped, 1000);
            CloseHandle(overlapped.hEvent);
            if (got != 0) return got;
        }
        if (GetTickCount64() >= deadline) return 0;
        if (InterlockedCompareExchange(&closing_, 0, 0)) return -1;  // the port is being closed
        Sleep(2);
    }
}

void CSerialUtil::Purge() {
    if (handle_ != INVALID_HANDLE_VALUE) PurgeComm(handle_, PURGE_RXCLEAR | PURGE_TXCLEAR);
}

// ROVA_Common.dll: containers, locks, strings, the delayed-message engine, the serial port, paths,
// number parsing, pixel buffers and rasterisers, time, debug trace and the single-instance check.
//
// Every function that allocates memory handed to the caller has a matching release function in
// this library; callers never free such memory themselves (the DLL may use another heap).
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#if defined(ROVA_COMMON_BUILD)
#define ROVA_COMMON_API __declspec(dllexport)
#else
#define ROVA_COMMON_API __declspec(dllimport)
#endif
#else
#define ROVA_COMMON_API
#endif

#if defined(__GNUC__)
#define ROVA_PRINTF_FORMAT(fmtIndex, firstArg) __attribute__((format(gnu_printf, fmtIndex, firstArg)))
#else
#define ROVA_PRINTF_FORMAT(fmtIndex, firstArg)
#endif

// ---------------------------------------------------------------------------------------------
// Containers of pointer-sized values. They never own their elements: removing or destroying
// frees only the container's own storage. Not thread-safe; guard them with a CBaseLock.
// ---------------------------------------------------------------------------------------------

// Compares a stored value with a search key; returns 0 when they match (like strcmp).
typedef int (*PtrCompareProc)(void* value, void* key);

class ROVA_COMMON_API CPtrCtrl {
public:
    CPtrCtrl() = default;
    CPtrCtrl(const CPtrCtrl&) = delete;
    CPtrCtrl& operator=(const CPtrCtrl&) = delete;
    virtual ~CPtrCtrl();

    // Inserts value before position index: 0 = front, -1 (or any index >= GetCount()) = end.
    // Returns the position the value now has, or -1 when memory ran out.
    virtual int AddData(void* value, int index = -1) = 0;
    // The value at index; null when index is out of range.
    virtual void* GetAt(int index) const = 0;
    // Position of the first value for which compare(value, key) == 0 (plain pointer equality
    // when compare is null); -1 when none matches (GetAt(-1) is null).
    virtual int FindData(void* key, PtrCompareProc compare = nullptr) const = 0;
    // Removes count values starting at index (clipped to the end); returns the first removed
    // value, or null when index is out of range.
    virtual void* RemoveAt(int index, int count = 1) = 0;
    // Removes every value.
    virtual void RemoveAll() = 0;
    // Moves count values starting at index (order kept) so that they start at position
    // `destination` (0 = the front) of the remaining sequence. Returns nonzero on success,
    // 0 when index is out of range.
    virtual int MoveToFront(int index, int count = 1, int destination = 0) = 0;
    // Number of values held.
    virtual int GetCount() const = 0;
};

// Doubly linked list. 72 bytes on 64-bit builds: the radar parameter record embeds these.
class ROVA_COMMON_API CPtrListCtrl : public CPtrCtrl {
public:
    CPtrListCtrl();
    ~CPtrListCtrl() override;

    int AddData(void* value, int index = -1) override;
    void* GetAt(int index) const override;
    int FindData(void* key, PtrCompareProc compare = nullptr) const override;
    void* RemoveAt(int index, int count = 1) override;
    void RemoveAll() override;
    int MoveToFront(int index, int count = 1, int destination = 0) override;
    int GetCount() const override;

private:
    struct Node;
    Node* NodeAt(int index) const;

    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    int count_ = 0;
    void* reserved_[5] = {};  // keeps the embedded size fixed
};

// Growable array. 72 bytes on 64-bit builds, like CPtrListCtrl.
class ROVA_COMMON_API CPtrArrayCtrl : public CPtrCtrl {
public:
    CPtrArrayCtrl();
    ~CPtrArrayCtrl() override;

    int AddData(void* value, int index = -1) override;
    void* GetAt(int index) const override;
    int FindData(void* key, PtrCompareProc compare = nullptr) const override;
    void* RemoveAt(int index, int count = 1) override;
    void RemoveAll() override;
    int MoveToFront(int index, int count = 1, int destination = 0) override;
    int GetCount() const override;

private:
    void** items_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
    void* reserved_[6] = {};  // keeps the embedded size fixed
};

#if defined(_WIN64)
static_assert(sizeof(CPtrListCtrl) == 72, "CPtrListCtrl is embedded in the radar record");
static_assert(sizeof(CPtrArrayCtrl) == 72, "CPtrArrayCtrl keeps the same size as the list");
#endif

// ---------------------------------------------------------------------------------------------
// Locks
// ---------------------------------------------------------------------------------------------

// Recursive mutual-exclusion lock (a critical section).
class ROVA_COMMON_API CBaseLock {
public:
    CBaseLock();
    ~CBaseLock();
    CBaseLock(const CBaseLock&) = delete;
    CBaseLock& operator=(const CBaseLock&) = delete;

    void Lock();
    void Unlock();

private:
    CRITICAL_SECTION section_;
};

// Holds a CBaseLock from construction to destruction.
class ROVA_COMMON_API CAutoBaseLock {
public:
    explicit CAutoBaseLock(CBaseLock& lock);
    explicit CAutoBaseLock(CBaseLock* lock);  // null: holds nothing
    ~CAutoBaseLock();
    CAutoBaseLock(const CAutoBaseLock&) = delete;
    CAutoBaseLock& operator=(const CAutoBaseLock&) = delete;

private:
    CBaseLock* lock_;
};

// ---------------------------------------------------------------------------------------------
// Strings. Storage is allocated and freed inside the library. GetString never returns null
// (an empty string is ""). GetLength is in bytes, without the terminator.
// ---------------------------------------------------------------------------------------------

class ROVA_COMMON_API CBaseStringA {
public:
    CBaseStringA();
    CBaseStringA(const char* text);  // NOLINT: implicit on purpose, like a string literal
    CBaseStringA(const CBaseStringA& other);
    CBaseStringA& operator=(const CBaseStringA& other);
    CBaseStringA& operator=(const char* text);
    ~CBaseStringA();

    // printf formatting; returns the new length in bytes, or -1 on a format or memory error
    // (the content is then left unchanged).
    int Format(const char* format, ...) ROVA_PRINTF_FORMAT(2, 3);
    int AppendFormat(const char* format, ...) ROVA_PRINTF_FORMAT(2, 3);
    int FormatV(const char* format, va_list args);
    int AppendFormatV(const char* format, va_list args);
    // Replaces the content with length bytes of text (-1: up to the terminator).
    int SetString(const char* text, int length = -1);
    void Empty();

    const char* GetString() const;
    int GetLength() const;
    bool IsEmpty() const { return GetLength() == 0; }
    operator const char*() const { return GetString(); }

private:
    int Assign(const char* text, size_t length, bool append);

    char* data_ = nullptr;
    size_t length_ = 0;
    size_t capacity_ = 0;
};

// Wide string. Format and AppendFormat take a narrow printf format and narrow arguments (the
// result is converted from the ANSI code page); the wide overloads take a wide format with
// wide arguments (%ls for wide strings).
class ROVA_COMMON_API CBaseStringW {
public:
    CBaseStringW();
    CBaseStringW(const wchar_t* text);  // NOLINT: implicit on purpose
    CBaseStringW(const CBaseStringW& other);
    CBaseStringW& operator=(const CBaseStringW& other);
    CBaseStringW& operator=(const wchar_t* text);
    ~CBaseStringW();

    int Format(const char* format, ...) ROVA_PRINTF_FORMAT(2, 3);
    int AppendFormat(const char* format, ...) ROVA_PRINTF_FORMAT(2, 3);
    int FormatV(const char* format, va_list args);
    int AppendFormatV(const char* format, va_list args);
    int Format(const wchar_t* format, ...);
    int AppendFormat(const wchar_t* format, ...);
    int SetString(const wchar_t* text, int length = -1);  // length in characters
    void Empty();

    const wchar_t* GetString() const;
    int GetLength() const;  // bytes (2 per UTF-16 unit)
    bool IsEmpty() const { return GetLength() == 0; }
    operator const wchar_t*() const { return GetString(); }

private:
    int Assign(const wchar_t* text, size_t length, bool append);
    int FormatWideV(const wchar_t* format, va_list args, bool append);

    wchar_t* data_ = nullptr;
    size_t length_ = 0;  // characters
    size_t capacity_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Delayed window messages, posted from the engine's own thread.
// ---------------------------------------------------------------------------------------------

// Called on the engine's thread when a delayed message falls due. Return nonzero to post the
// message, 0 to drop it.
typedef int (*DelayPostMsgProc)(HWND target, UINT message, WPARAM wParam, LPARAM lParam,
                                void* user);

class ROVA_COMMON_API CDelayPostMsgEngine {
public:
    CDelayPostMsgEngine();
    ~CDelayPostMsgEngine();  // stops the engine
    CDelayPostMsgEngine(const CDelayPostMsgEngine&) = delete;
    CDelayPostMsgEngine& operator=(const CDelayPostMsgEngine&) = delete;

    // Starts the engine's thread; nonzero on success or when already running.
    int Start();
    // Ends the thread and waits for it; pending messages are discarded, not posted.
    void Stop();
    int IsRunning() const;

    // Posts message to target about delayMs milliseconds from now. owner is the window the
    // request belongs to (usually target; null allowed): when it no longer exists at the due
    // time, nothing is posted. callback (optional) decides at the due time, see
    // DelayPostMsgProc. Returns nonzero when queued (the engine must be running).
    int DelayPostMsg(DWORD delayMs, HWND target, HWND owner, UINT message, WPARAM wParam,
                     LPARAM lParam, DelayPostMsgProc callback = nullptr, void* user = nullptr);
    // Cancels pending posts that match target, owner and message; a null window or message 0
    // matches anything. all = 0 cancels only the earliest match. Returns how many were removed.
    int RemoveDelayPostMsg(HWND target, HWND owner, UINT message, int all = 1);
    // Number of pending posts.
    int GetPendingCount() const;

private:
    struct Impl;
    Impl* impl_;
};

// ---------------------------------------------------------------------------------------------
// Serial port (\\.\COMn, 8 data bits, no parity, one stop bit, no flow control).
// Thread-safe: one thread may read while another writes.
// ---------------------------------------------------------------------------------------------

class ROVA_COMMON_API CSerialUtil {
public:
    CSerialUtil();
    ~CSerialUtil();  // closes the port
    CSerialUtil(const CSerialUtil&) = delete;
    CSerialUtil& operator=(const CSerialUtil&) = delete;

    // Opens COM<port> at baud. Closes a port opened before. Nonzero on success.
    int OpenSerial(int port, unsigned long baud);
    int IsOpened() const;
    void CloseSerial();

    // Writes length bytes, waiting at most timeoutMs (0 = no limit). The three reserved
    // arguments must be 0. Returns the number of bytes written (less than length when the
    // time-out hit), or -1 when the port is not open or the write failed.
    int Write(const void* bytes, int length, DWORD timeoutMs, int reserved1 = 0, int reserved2 = 0,
              int reserved3 = 0);
    // Reads up to length bytes. Returns as soon as at least one byte arrived, or after
    // timeoutMs with 0 bytes (0 = take only what has already arrived). Returns the count, or -1
    // when the port is not open, failed or is closed by another thread meanwhile.
    int Read(void* buffer, int length, DWORD timeoutMs);
    // Discards unread input and unsent output.
    void Purge();

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    volatile LONG closing_ = 0;
    CBaseLock openLock_;
    CBaseLock writeLock_;
    CBaseLock readLock_;
};

// ---------------------------------------------------------------------------------------------
// Paths and files. Path buffers hold 260 characters including the terminator (MAX_PATH);
// longer results are refused (return 0, out = "").
// ---------------------------------------------------------------------------------------------

// Folder of the executable of processId (0 = this process), without a trailing '\'.
// Nonzero on success.
ROVA_COMMON_API int GetProgramPathA(DWORD processId, char* out);
ROVA_COMMON_API int GetProgramPathW(DWORD processId, wchar_t* out);

// out = folder + one '\' + name (a '\' or '/' ending folder or starting name is not doubled;
// an empty folder gives name alone). out may be the same buffer as folder or name.
ROVA_COMMON_API int CombinePathNameA(char* out, const char* folder, const char* name);
ROVA_COMMON_API int CombinePathNameW(wchar_t* out, const wchar_t* folder, const wchar_t* name);

// Creates the folder and all missing parents. Nonzero when the folder exists afterwards;
// a null or empty path does nothing and returns 0.
ROVA_COMMON_API int RecursiveCreateDirectoryA(const char* path);
ROVA_COMMON_API int RecursiveCreateDirectoryW(const wchar_t* path);

// Nonzero when path names an existing directory / an existing file (not a directory).
ROVA_COMMON_API int IsDirA(const char* path);
ROVA_COMMON_API int IsDirW(const wchar_t* path);
ROVA_COMMON_API int IsFileExistA(const char* path);
ROVA_COMMON_API int IsFileExistW(const wchar_t* path);

// Reads a whole file into a block allocated by the library (one extra NUL byte is appended so
// text can be parsed in place). Returns the size in bytes; on failure returns -1 and sets
// *block to null. An empty file returns 0 with a valid block. Free with ReleaseFileData.
ROVA_COMMON_API int64_t ReadFileDataA(const char* path, void** block);
ROVA_COMMON_API int64_t ReadFileDataW(const wchar_t* path, void** block);
ROVA_COMMON_API void ReleaseFileData(void* block);

// Extension of the last path component without its dot ("" when there is none). outSize is the
// buffer size in characters. Nonzero when an extension was found.
ROVA_COMMON_API int GetFileExtNameA(const char* path, char* out, int outSize);
ROVA_COMMON_API int GetFileExtNameW(const wchar_t* path, wchar_t* out, int outSize);

// File name made of prefix, local date and time, suffix and extension:
//   <prefix>YYYYMMDD_HHMMSS_mmm<suffix><extension>   e.g. "ROVA_MTT_Result_20240131_142530_042.txt"
// mmm are the milliseconds, so names made within one second differ; two calls in the same
// millisecond in this process still get different names (the time is advanced by 1 ms).
// extension may be given with or without its dot; null prefix/suffix/extension are empty.
// The three reserved arguments are accepted for compatibility and ignored. out holds 260
// characters. Returns the length of the name, or 0 when it does not fit.
ROVA_COMMON_API int GetFileNameByDateA(char* out, const char* extension, const char* prefix,
                                       const char* suffix, int reserved1 = 0, int reserved2 = 0,
                                       int reserved3 = 0);
ROVA_COMMON_API int GetFileNameByDateW(wchar_t* out, const wchar_t* extension,
                                       const wchar_t* prefix, const wchar_t* suffix,
                                       int reserved1 = 0, int reserved2 = 0, int reserved3 = 0);

// Nonzero when no other holder of the named mutex exists; the first caller then keeps the
// mutex for the life of the process. A second call in the same process with the same name
// returns 0 as well (the name is held).
ROVA_COMMON_API int CheckSingleInstanceW(const wchar_t* name);

// ---------------------------------------------------------------------------------------------
// Numbers
// ---------------------------------------------------------------------------------------------

enum DigitalType {
    kDigitalTypeInt8 = 0,
    kDigitalTypeUInt8 = 1,
    kDigitalTypeFlag = 2,  // int32 holding 0 or 1
    kDigitalTypeInt16 = 3,
    kDigitalTypeUInt16 = 4,
    kDigitalTypeInt32 = 5,
    kDigitalTypeUInt32 = 6,
    kDigitalTypeInt64 = 7,
    kDigitalTypeUInt64 = 8,
    kDigitalTypeFloat = 9,
    kDigitalTypeDouble = 10,
    kDigitalTypeCount = 11
};

// Bytes of one element by type code (kDigitalTypeCount entries).
ROVA_COMMON_API extern const int gDigitalTypeSize[];

// Parses a number from text (length bytes, -1 = up to the terminator) into *target as the
// given type. Accepted: surrounding blanks; integers in decimal with optional sign, or hex
// with "0x"; reals in the C locale's form ("1.5", "-2e3"), finite only. For integer types a
// real-valued text is not accepted. Flag: an integer (nonzero gives 1) or "true"/"false"
// (any case). Text that is not a number, or out of range for the type, leaves *target
// unchanged and returns 0; nonzero when stored.
ROVA_COMMON_API int DigtalStringToValue(const char* text, int length, void* target, int type);

// Splits text (length bytes, -1 = up to the terminator) at any character of separators and
// parses each piece with DigtalStringToValue. skipEmpty nonzero ignores empty pieces (blank
// pieces count as empty). A piece that is not a valid number ends the parse (a list is taken
// only up to its first bad element); reserved must be 0. Values are stored one after another
// in target (element size gDigitalTypeSize[type]) up to maximum values; with a null target they
// are only counted. maximum < 0 means no limit. Returns the number of values parsed (at most
// maximum when maximum >= 0).
ROVA_COMMON_API int ParseDigitalArrayValue(const char* text, int length, const char* separators,
                                           int skipEmpty, int reserved, int type, void* target,
                                           int maximum);

// Splits text (length characters, -1 = up to the terminator) at any character of separators.
// skipEmpty nonzero drops empty pieces; trimBlanks nonzero strips spaces and tabs around each
// piece. maxPieces < 0 means no limit, otherwise the last piece takes the rest of the text.
// *pieces receives a null-terminated array of NUL-terminated copies (null when the count is 0).
// Returns the number of pieces; free the array with Internal_DelArrayA/W.
ROVA_COMMON_API int DevideStringByCharListA(const char* text, int length, const char* separators,
                                            int skipEmpty, int trimBlanks, char*** pieces,
                                            int maxPieces);
ROVA_COMMON_API int DevideStringByCharListW(const wchar_t* text, int length,
                                            const wchar_t* separators, int skipEmpty,
                                            int trimBlanks, wchar_t*** pieces, int maxPieces);
ROVA_COMMON_API void Internal_DelArrayA(char** pieces);
ROVA_COMMON_API void Internal_DelArrayW(wchar_t** pieces);

// ---------------------------------------------------------------------------------------------
// Pixel buffers and rasterisers. Pixels are 0xAARRGGBB values stored as bytes B, G, R, A.
// Rectangles are (left, top, right, bottom), right and bottom exclusive.
// ---------------------------------------------------------------------------------------------

// Creates a DIB section of width x |height| at bitsPerPixel (1, 4, 8, 16, 24, 32) and returns it
// with its pixel pointer in *pixels (may be null). 32-bit sections are always top-down: pixel
// (x, y) is at index y * width + x. Other depths follow the Windows rule: negative height is
// top-down, positive is bottom-up. Rows are padded to 4 bytes. section/offset are passed to
// CreateDIBSection (null, 0 for memory of its own). The caller owns the bitmap (DeleteObject).
// Null on failure.
ROVA_COMMON_API HBITMAP CreateHBitmap(void** pixels, int width, int height, int bitsPerPixel,
                                      HANDLE section = nullptr, DWORD offset = 0);

// Stores value (unchanged) into every 32-bit pixel of rect; stride is the row size in bytes.
// Returns nonzero when rect was not empty.
ROVA_COMMON_API int DrawColorOnBuffer(uint32_t value, void* pixels, const RECT* rect, int stride);

// Copies the pixels of sourceRect in source (row stride sourceStride) to destination (row stride
// destinationStride) with the top-left corner at (destinationX, destinationY). bytesPerPixel is
// 1 to 4. Overlapping buffers are not supported. The caller keeps both rectangles inside their
// buffers (the library cannot know buffer heights). Nonzero on success.
ROVA_COMMON_API int DrawBufferOnBuffer(void* destination, int destinationX, int destinationY,
                                       int destinationStride, const void* source,
                                       const RECT* sourceRect, int sourceStride,
                                       int bytesPerPixel);

// Rasterises the polyline `points` (values packed as x in the low and y in the high 32 bits,
// signed) from the first point to the last into coverage (width x height bytes, 0..255).
// Thickness (full width in pixels) and opacity (0..1) change linearly with the distance along
// the line from (startWidth, startOpacity) at the first point to (endWidth, endOpacity) at the
// last. The edge is anti-aliased over one pixel: a pixel's value is
//   opacity * clamp(halfWidth + 0.5 - distanceToLine, 0, 1) * 255
// taken at the pixel centre, and a pixel keeps the largest value any segment gives it (the
// buffer is not cleared first, so several lines can share a buffer). One point draws a dot.
// Returns nonzero when anything was drawn.
ROVA_COMMON_API int DrawGradualMultiLine(int width, int height, CPtrCtrl* points,
                                         double startWidth, double endWidth, double startOpacity,
                                         double endOpacity, uint8_t* coverage);

// Tests the point (row, column) against the polygon of count vertices given as int32 pairs
// (row, column) in rowColumnPairs. Returns 1 inside, 0 on the boundary (on an edge or a vertex,
// so boundary pixels count as inside for callers that accept >= 0), -1 outside or when fewer
// than 3 vertices or null pairs are given.
ROVA_COMMON_API int IsPointInPolygonSides(int row, int column, const void* rowColumnPairs,
                                          int count);

// rect = (x, y, x + w, y + h).
ROVA_COMMON_API void SetRectXY(RECT* rect, int x, int y, int w, int h);
// out = in clipped to bounds (out may be in). Nonzero when the result is not empty; an empty
// result is (0, 0, 0, 0).
ROVA_COMMON_API int BoundRect(RECT* out, const RECT* in, const RECT* bounds);

// ---------------------------------------------------------------------------------------------
// Time and trace
// ---------------------------------------------------------------------------------------------

// Milliseconds since system start, wrapping at 2^32; take differences as uint32_t.
ROVA_COMMON_API uint32_t MS_GetTime();
ROVA_COMMON_API void MS_Sleep(uint32_t ms);

// Debug trace (OutputDebugString), printf format. Lines at a level above the trace level are
// dropped; the default trace level is 3 (everything up to level 3 is written).
ROVA_COMMON_API void DbgOutputA(int level, const char* format, ...) ROVA_PRINTF_FORMAT(2, 3);
ROVA_COMMON_API void DbgSetLevel(int level);

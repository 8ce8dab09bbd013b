#pragma once
// The application object: InitInstance does all the work and returns false, so no message loop
// runs outside the main dialog's own modal loop.
#include <windows.h>

class CWnd;

class CWinApp {
public:
    CWinApp() noexcept;
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }

    // The base start routine every InitInstance runs first.
    BOOL BaseInitInstance() noexcept { return TRUE; }
    // Windows Sockets 1.1; false when the socket layer could not start.
    bool SocketInit() noexcept;
    // Loads the rich edit 2.0 control library, as dialogs may contain one.
    bool InitRichEdit2() noexcept;
    void SetRegistryKey(LPCWSTR key) noexcept { m_registryKey = key; }
    LPCWSTR GetRegistryKey() const noexcept { return m_registryKey; }

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    DWORD m_dwRestartManagerSupportFlags = 0;

    // Runs the application; returns the process exit code.
    static int Run(HINSTANCE instance) noexcept;
    static CWinApp* Get() noexcept;

private:
    LPCWSTR m_registryKey = nullptr;
    bool m_socketsStarted = false;
    HMODULE m_richEdit = nullptr;
};

#include "framework/WinApp.h"

#include <winsock2.h>

#include <exception>

#include "contracts/ROVA_Common.h"

namespace {
CWinApp* gTheApp = nullptr;
}

CWinApp::CWinApp() noexcept { gTheApp = this; }

CWinApp::~CWinApp() {
    if (m_socketsStarted) ::WSACleanup();
    if (m_richEdit) ::FreeLibrary(m_richEdit);
    if (gTheApp == this) gTheApp = nullptr;
}

CWinApp* CWinApp::Get() noexcept { return gTheApp; }

bool CWinApp::SocketInit() noexcept {
    WSADATA data{};
    m_socketsStarted = ::WSAStartup(MAKEWORD(1, 1), &data) == 0;
    return m_socketsStarted;
}

bool CWinApp::InitRichEdit2() noexcept {
    if (!m_richEdit) m_richEdit = ::LoadLibraryW(L"riched20.dll");
    return m_richEdit != nullptr;
}

int CWinApp::Run(HINSTANCE instance) noexcept {
    CWinApp* app = gTheApp;
    if (!app) return 1;
    app->m_hInstance = instance;
    int code = 0;
    try {
        if (app->InitInstance()) {
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            code = static_cast<int>(msg.wParam);
        }
        if (const int exitCode = app->ExitInstance()) code = exitCode;
    } catch (const std::exception& e) {
        DbgOutputA(1, "application ended by an exception: %s\r\n", e.what());
        code = 3;
    } catch (...) {
        DbgOutputA(1, "application ended by an unknown exception\r\n");
        code = 3;
    }
    return code;
}

#include "app/FolderBrowser.h"

#include <shlobj.h>

#include "framework/Raii.h"

namespace {
// Selects the initial folder and centres the browser over its owner once it is up.
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
    if (message != BFFM_INITIALIZED) return 0;
    ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
    RECT self{}, owner{};
    ::GetWindowRect(browser, &self);
    HWND parent = ::GetParent(browser);
    if (parent && ::GetWindowRect(parent, &owner)) {
        const int w = self.right - self.left;
        const int h = self.bottom - self.top;
        // On top as well: the owner covers the whole screen.
        ::SetWindowPos(browser, HWND_TOP, owner.left + ((owner.right - owner.left) - w) / 2,
                       owner.top + ((owner.bottom - owner.top) - h) / 2, 0, 0, SWP_NOSIZE);
    }
    ::SetForegroundWindow(browser);
    return 0;
}
}  // namespace

bool BrowseForFolder(HWND owner, const wchar_t* initial, wchar_t* chosen) {
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(initial);
    rova::UniqueCoTaskMem item(::SHBrowseForFolderW(&info));
    if (!item) return false;
    chosen[0] = L'\0';
    if (!::SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(item.get()), chosen)) chosen[0] = L'\0';
    return true;
}

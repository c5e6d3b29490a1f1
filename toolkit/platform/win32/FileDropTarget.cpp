// Drops on the frame window: CF_HDROP as type 0 with .lnk shortcuts resolved, CF_TEXT as type 1.
#include "toolkit/platform/win32/FileDropTarget.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace brindlet {

namespace {

FORMATETC formatOf(CLIPFORMAT format) {
    return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

bool offers(IDataObject* data, CLIPFORMAT format) {
    FORMATETC f = formatOf(format);
    return data && data->QueryGetData(&f) == S_OK;
}

bool endsWithLnk(const char* path) {
    const size_t n = std::strlen(path);
    return n >= 4 && _stricmp(path + n - 4, ".lnk") == 0;
}

DWORD effectFor(DWORD keys, DWORD allowed, bool accepting) {
    if (!accepting) return DROPEFFECT_NONE;
    const DWORD wanted = (keys & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    if (allowed & wanted) return wanted;
    return allowed & (DROPEFFECT_COPY | DROPEFFECT_MOVE);
}

}  // namespace

bool resolveShortcut(const char* path, char* out, size_t capacity) {
    if (!path || !out || capacity == 0) return false;
    bool resolved = false;
    IShellLinkA* link = nullptr;
    if (endsWithLnk(path) &&
        SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t wide[MAX_PATH];
            if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) > 0 &&
                SUCCEEDED(file->Load(wide, STGM_READ))) {
                char target[MAX_PATH] = "";
                WIN32_FIND_DATAA found;
                resolved = SUCCEEDED(link->GetPath(target, MAX_PATH, &found, 0)) && target[0] &&
                           std::strlen(target) < capacity;
                if (resolved) std::strcpy(out, target);
            }
            file->Release();
        }
        link->Release();
    }
    if (!resolved) {
        if (std::strlen(path) >= capacity) return false;
        std::strcpy(out, path);
    }
    return true;
}

FileDropTarget::FileDropTarget(NativeWindow* window) : window_(window) {}

HRESULT FileDropTarget::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG FileDropTarget::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG FileDropTarget::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT FileDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL, DWORD* effect) {
    accepting_ = offers(data, CF_HDROP) || offers(data, CF_TEXT);
    if (effect) *effect = effectFor(keys, *effect, accepting_);
    return S_OK;
}

HRESULT FileDropTarget::DragOver(DWORD keys, POINTL, DWORD* effect) {
    if (effect) *effect = effectFor(keys, *effect, accepting_);
    return S_OK;
}

HRESULT FileDropTarget::DragLeave() {
    accepting_ = false;
    return S_OK;
}

HRESULT FileDropTarget::Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) {
    const Point where = windowPoint(at);
    const bool taken = dropFiles(data, where) || dropText(data, where);
    if (effect) *effect = effectFor(keys, *effect, taken);
    accepting_ = false;
    return S_OK;
}

Point FileDropTarget::windowPoint(POINTL at) const {
    POINT p{at.x, at.y};
    if (window_) ScreenToClient(window_->hwnd, &p);
    return Point(p.x, p.y);
}

bool FileDropTarget::dropFiles(IDataObject* data, const Point& where) {
    FORMATETC format = formatOf(CF_HDROP);
    STGMEDIUM medium{};
    if (!window_ || !window_->events || !data || data->GetData(&format, &medium) != S_OK) {
        return false;
    }
    HDROP drop = static_cast<HDROP>(GlobalLock(medium.hGlobal));
    std::vector<std::string> names;
    if (drop) {
        const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            char name[MAX_PATH] = "";
            char resolved[MAX_PATH] = "";
            if (DragQueryFileA(drop, i, name, MAX_PATH) == 0) continue;
            if (resolveShortcut(name, resolved, sizeof(resolved))) names.emplace_back(resolved);
        }
        GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    if (names.empty() || !window_ || !window_->events) return false;
    std::vector<void*> items;
    for (std::string& n : names) items.push_back(n.data());
    window_->events->dropped(items.data(), static_cast<int32_t>(items.size()), 0, where);
    return true;
}

bool FileDropTarget::dropText(IDataObject* data, const Point& where) {
    FORMATETC format = formatOf(CF_TEXT);
    STGMEDIUM medium{};
    if (!window_ || !window_->events || !data || data->GetData(&format, &medium) != S_OK) {
        return false;
    }
    const SIZE_T size = GlobalSize(medium.hGlobal);
    const char* text = static_cast<const char*>(GlobalLock(medium.hGlobal));
    bool taken = false;
    if (text && size > 0) {
        // A copy ending in a zero, whatever the block holds; the count stays the block's size.
        std::vector<char> block(text, text + size);
        block.push_back('\0');
        GlobalUnlock(medium.hGlobal);
        void* items[1] = {block.data()};
        window_->events->dropped(items, static_cast<int32_t>(size), 1, where);
        taken = true;
    } else if (text) {
        GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return taken;
}

}  // namespace brindlet

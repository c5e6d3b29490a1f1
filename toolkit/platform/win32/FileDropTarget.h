// The frame window's OLE drop target: file lists (shortcuts resolved) and ANSI text.
#pragma once

#include <ole2.h>

#include "toolkit/platform/win32/Win32Types.h"

namespace brindlet {

class FileDropTarget : public IDropTarget {
public:
    explicit FileDropTarget(NativeWindow* window);
    virtual ~FileDropTarget() = default;
    // The window is going: later drops find nobody.
    void detach() { window_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at,
                                        DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at,
                                   DWORD* effect) override;

private:
    bool dropFiles(IDataObject* data, const Point& where);
    bool dropText(IDataObject* data, const Point& where);
    Point windowPoint(POINTL at) const;

    LONG references_ = 1;
    NativeWindow* window_;
    bool accepting_ = false;
};

// The target of a shortcut file, or the name itself when it is no shortcut; COM must be running.
bool resolveShortcut(const char* path, char* out, size_t capacity);

}  // namespace brindlet

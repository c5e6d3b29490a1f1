// SharedLibrary on LoadLibrary: the Windows loader, with its error text for a failed load.
#include <windows.h>

#include "host/SharedLibrary.h"

namespace brindlet {

bool SharedLibrary::open(const std::string& path, std::string& error) {
    close();
    handle_ = reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
    if (handle_ == nullptr) {
        const DWORD code = GetLastError();
        char text[256] = "";
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                       text, sizeof(text), nullptr);
        error = "cannot load " + path + " (error " + std::to_string(code) + "): " + text;
        return false;
    }
    return true;
}

void SharedLibrary::close() {
    if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
}

void* SharedLibrary::symbol(const char* name) const {
    if (handle_ == nullptr) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

}  // namespace brindlet

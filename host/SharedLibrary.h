// A loaded shared object: the only place that knows how the platform loads code at run time.
#pragma once

#include <string>

namespace brindlet {

class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;

    // Loads the file; on failure returns false and leaves the loader's reason in `error`.
    bool open(const std::string& path, std::string& error);
    void close();
    bool isOpen() const { return handle_ != nullptr; }
    // Address of an exported symbol, or null.
    void* symbol(const char* name) const;

private:
    void* handle_ = nullptr;
};

}  // namespace brindlet

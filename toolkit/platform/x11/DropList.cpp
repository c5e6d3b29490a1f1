// Text/uri-list parsing for the drop target.
#include "toolkit/platform/x11/DropList.h"

namespace brindlet::x11 {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The path of a file URI on this machine; empty for anything else.
std::string localPath(std::string_view uri) {
    constexpr std::string_view scheme = "file:";
    if (uri.size() < scheme.size() || uri.substr(0, scheme.size()) != scheme) return {};
    std::string_view rest = uri.substr(scheme.size());
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const size_t slash = rest.find('/');
        if (slash == std::string_view::npos) return {};
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && host != "localhost") return {};
        rest.remove_prefix(slash);
    }
    if (rest.empty() || rest.front() != '/') return {};
    std::string path = percentDecode(rest);
    // A decoded zero byte would cut the name short: refuse the entry.
    if (path.find('\0') != std::string::npos) return {};
    return path;
}

}  // namespace

std::string percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

std::vector<std::string> parseUriList(const char* data, size_t size) {
    std::vector<std::string> paths;
    if (!data) return paths;
    std::string_view all(data, size);
    while (!all.empty()) {
        const size_t end = all.find_first_of("\r\n");
        std::string_view line = all.substr(0, end);
        all.remove_prefix(end == std::string_view::npos ? all.size() : end + 1);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.empty() || line.front() == '#') continue;
        std::string path = localPath(line);
        if (!path.empty()) paths.push_back(std::move(path));
    }
    return paths;
}

}  // namespace brindlet::x11

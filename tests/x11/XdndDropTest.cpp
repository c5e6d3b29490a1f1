// Files and text dragged from another X client onto a frame window under Xvfb arrive at the frame's
// drop dispatch with the right type, count, names and location; the source hears the right answers.
// Also the uri lists' decoding on its own.
// gtest first: Xlib's macros (None, Bool, Status) clash with its templates.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "toolkit/core/Frame.h"
#include "toolkit/platform/x11/DropList.h"

// clang-format off
#include "XdndSource.h"
#include "tests/x11/X11TestSupport.h"
#include <X11/keysym.h>
// clang-format on

namespace brindlet::test {
namespace {

namespace fs = std::filesystem;

constexpr int kHostX = 50;
constexpr int kHostY = 60;

struct Delivery {
    int32_t type, count;
    Point where;
    std::vector<std::string> items;  // the file names, or the text
};

// A view that takes every drop inside its bounds and remembers what came.
class DropCatcher : public View {
public:
    explicit DropCatcher(const Rect& r) : View(r) {}
    bool onDrop(void** items, int32_t count, int32_t type, const Point& where) override {
        deliveries.push_back({type, count, where, {}});
        for (int32_t i = 0; i < (type == 0 ? count : 1); ++i)
            deliveries.back().items.emplace_back(static_cast<char*>(items[i]));
        return true;
    }
    std::vector<Delivery> deliveries;
};

class XdndDropTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server().display) << "no Xvfb";
        d = server().display;
        host = XCreateSimpleWindow(d, DefaultRootWindow(d), kHostX, kHostY, 465, 360, 0, 0, 0);
        XMapWindow(d, host);
        XSync(d, False);
        frame = new Frame(Rect(0, 0, 465, 360), reinterpret_cast<void*>(host), nullptr);
        ASSERT_TRUE(frame->getWindow());
        catcher = new DropCatcher(Rect(100, 50, 300, 250));
        frame->addView(catcher);
        dir = fs::temp_directory_path() / ("brindlet-drop-" + std::to_string(getpid()));
        fs::create_directories(dir);
        dir = fs::canonical(dir);
    }
    void TearDown() override {
        delete frame;  // destroys the catcher too
        if (host) XDestroyWindow(d, host);
        XSync(d, False);
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    // Drops at window position (x, y) of the frame.
    DropOutcome dropAt(int x, int y, const std::vector<std::string>& types, const std::string& data,
                       bool dropEvenIfRefused = false) {
        XdndSource source(server().name);
        return source.drop(
            kHostX + x, kHostY + y, types, data, [this] { frame->idle(); }, dropEvenIfRefused);
    }
    fs::path touch(const std::string& name) {
        const fs::path p = dir / name;
        std::ofstream(p) << "x";
        return p;
    }

    Display* d = nullptr;
    Window host = 0;
    Frame* frame = nullptr;
    DropCatcher* catcher = nullptr;
    fs::path dir;
};

// Files are preferred to text, also when more than three types are offered (read from the
// source's type list then).
TEST_F(XdndDropTest, FileListArrivesAsLocalNamesWithLinksResolved) {
    const fs::path plain = touch("take one%.wav");
    const fs::path target = touch("target.wav");
    fs::create_symlink(target, dir / "link.wav");
    const std::string uris = "# dragged from a file manager\r\nfile://" + dir.string() +
                             "/take%20one%25.wav\r\nfile://localhost" + dir.string() +
                             "/link.wav\r\nhttp://example.org/not-local.wav\r\n";

    DropOutcome out = dropAt(120, 70, {"text/uri-list"}, uris);

    EXPECT_EQ(out.awareVersion, 5);
    EXPECT_TRUE(out.accepted);
    EXPECT_EQ(out.requestedType, "text/uri-list");
    EXPECT_TRUE(out.finished);
    EXPECT_TRUE(out.finishedAccepted);
    ASSERT_EQ(catcher->deliveries.size(), 1u);
    const Delivery& got = catcher->deliveries[0];
    EXPECT_EQ(got.type, 0);
    EXPECT_EQ(got.count, 2);
    EXPECT_EQ(got.items, (std::vector<std::string>{plain.string(), target.string()}));
    EXPECT_EQ(got.where, Point(120, 70));

    out = dropAt(150, 100, {"text/plain", "UTF8_STRING", "image/png", "text/uri-list"},
                 "file://" + target.string() + "\n");
    EXPECT_EQ(out.requestedType, "text/uri-list");
    ASSERT_EQ(catcher->deliveries.size(), 2u);
    EXPECT_EQ(catcher->deliveries[1].items, (std::vector<std::string>{target.string()}));
}

TEST_F(XdndDropTest, TextOfEveryTextTypeArrivesAsTypeOneWithItsBlockSize) {
    const std::string text = "h\xc3\xa9llo";  // UTF-8, as the source offers it
    for (const char* type : {"UTF8_STRING", "text/plain;charset=utf-8", "text/plain"}) {
        SCOPED_TRACE(type);
        catcher->deliveries.clear();
        const DropOutcome out = dropAt(250, 200, {"application/x-other", type}, text);
        EXPECT_TRUE(out.accepted);
        EXPECT_EQ(out.requestedType, type);
        EXPECT_TRUE(out.finishedAccepted);
        ASSERT_EQ(catcher->deliveries.size(), 1u);
        const Delivery& got = catcher->deliveries[0];
        EXPECT_EQ(got.type, 1);
        EXPECT_EQ(got.items, (std::vector<std::string>{text}));
        EXPECT_GE(got.count, static_cast<int32_t>(text.size()));
        EXPECT_EQ(got.where, Point(250, 200));
    }
}

// The status is Copy with Control held and Move otherwise. Unknown types are refused, and what
// holds no local file or no text is not delivered; the source hears so. Once the frame is gone no
// window is a drop target.
TEST_F(XdndDropTest, WhatTheSourceHears) {
    const std::string uri = "file://" + touch("b.wav").string();
    DropOutcome out = dropAt(150, 100, {"text/uri-list"}, uri);
    EXPECT_EQ(out.statusAction, "XdndActionMove");
    EXPECT_EQ(out.finishedAction, "XdndActionMove");
    User keys;
    ASSERT_TRUE(keys.d);
    keys.key(XK_Control_L, true);
    out = dropAt(150, 100, {"text/uri-list"}, uri);
    keys.key(XK_Control_L, false);
    EXPECT_EQ(out.statusAction, "XdndActionCopy");
    EXPECT_EQ(out.finishedAction, "XdndActionCopy");
    EXPECT_EQ(catcher->deliveries.size(), 2u);

    out = dropAt(150, 100, {"image/png"}, "PNG", true);
    EXPECT_TRUE(out.statusSeen);
    EXPECT_FALSE(out.accepted);
    EXPECT_EQ(out.statusAction, "");
    EXPECT_FALSE(out.dataRequested);
    EXPECT_TRUE(out.finished);
    EXPECT_FALSE(out.finishedAccepted);
    out = dropAt(150, 100, {"text/uri-list"}, "http://example.org/a.wav\r\n");
    EXPECT_TRUE(out.finished);
    EXPECT_FALSE(out.finishedAccepted);
    out = dropAt(150, 100, {"UTF8_STRING"}, "");
    EXPECT_TRUE(out.finished);
    EXPECT_FALSE(out.finishedAccepted);
    EXPECT_EQ(catcher->deliveries.size(), 2u);

    delete frame;
    frame = nullptr;
    XdndSource source(server().name);
    EXPECT_EQ(source.drop(kHostX + 150, kHostY + 100, {"UTF8_STRING"}, "text", [] {}).target, 0u);
}

std::vector<std::string> parse(const std::string& s) {
    return x11::parseUriList(s.data(), s.size());
}

TEST(DropListTest, LocalFilesAreStrippedAndDecodedOthersSkipped) {
    EXPECT_EQ(parse("file:///tmp/a%20b.wav\r\n# comment\r\nhttp://x/y\r\nfile://localhost/c\r\n"
                    "file://otherhost/d\nfile:/e%41"),
              (std::vector<std::string>{"/tmp/a b.wav", "/c", "/eA"}));
    EXPECT_TRUE(parse("").empty());
    EXPECT_TRUE(x11::parseUriList(nullptr, 10).empty());
    EXPECT_TRUE(parse("file:///x%00y").empty());
    EXPECT_EQ(parse("file:///bad%2"), (std::vector<std::string>{"/bad%2"}));
    EXPECT_EQ(parse("file:///p%zz%4"), (std::vector<std::string>{"/p%zz%4"}));
}

}  // namespace
}  // namespace brindlet::test

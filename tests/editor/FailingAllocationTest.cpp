// Opening the editor when memory runs out at any allocation: either a complete editor or none,
// never a crash or a leak. Replaces the global allocation functions of this test program.
#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/editor/EditorTestSupport.h"

namespace {
// Allocations with std::nothrow that still succeed; negative: all of them.
std::atomic<long> nothrowBudget{-1};

void* allocate(std::size_t size) {
    return std::malloc(size ? size : 1);
}
void* allocateOrFail(std::size_t size) {
    long budget = nothrowBudget.load();
    while (budget >= 0) {
        if (budget == 0) return nullptr;
        if (nothrowBudget.compare_exchange_weak(budget, budget - 1)) break;
    }
    return allocate(size);
}
}  // namespace

void* operator new(std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocateOrFail(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocateOrFail(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

namespace brindlet::test {
namespace {

TEST_F(EditorTest, OpenGivesACompleteEditorOrNoneWhateverAllocationFails) {
    int32_t failures = 0;
    for (long budget = 0;; ++budget) {
        SCOPED_TRACE(budget);
        nothrowBudget = budget;
        const int32_t opened = editor->open(fakeParentWindow());
        const bool ranOut = nothrowBudget.load() == 0;
        nothrowBudget = -1;
        if (opened == 0) {
            ++failures;
            EXPECT_FALSE(editor->isEditorOpen());
            EXPECT_EQ(editor->getFrame(), nullptr);
            EXPECT_EQ(editor->getBitmap(166), nullptr);
            EXPECT_EQ(headless::getWindowCount(), 0);
            editor->setParameter(kFeedSweep, 99.5f);  // ignored, as while closed
            editor->idle();
        } else {
            ASSERT_EQ(editor->getFrame()->getViewCount(), 36);
            headless::paint(editor->getFrame()->getWindow(), Rect(0, 0, 465, 360));
            editor->setParameter(kFeedLevel, 0.5f);
            editor->idle();
            editor->close();
        }
        // The editor still opens fully afterwards.
        ASSERT_EQ(editor->open(fakeParentWindow()), 1);
        editor->close();
        if (!ranOut) break;  // every allocation of this open succeeded
    }
    EXPECT_GT(failures, 30);
}

}  // namespace
}  // namespace brindlet::test

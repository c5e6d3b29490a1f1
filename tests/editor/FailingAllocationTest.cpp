// Opening the editor when memory runs out at any allocation: either a complete editor or none,
// never a crash or a leak. The program links the replacement allocation functions.
#include "tests/editor/EditorTestSupport.h"
#include "tests/support/AllocationHooks.h"

namespace brindlet::test {
namespace {

TEST_F(EditorTest, OpenGivesACompleteEditorOrNoneWhateverAllocationFails) {
    int32_t failures = 0;
    for (long budget = 0;; ++budget) {
        SCOPED_TRACE(budget);
        nothrowBudget = budget;
        const int32_t opened = editor->open(&dummyParent);
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
        ASSERT_EQ(editor->open(&dummyParent), 1);
        editor->close();
        if (!ranOut) break;  // every allocation of this open succeeded
    }
    EXPECT_GT(failures, 30);
}

}  // namespace
}  // namespace brindlet::test

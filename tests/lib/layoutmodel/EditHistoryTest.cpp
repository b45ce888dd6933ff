#include "layoutmodel/EditHistory.h"

#include <gtest/gtest.h>

#include <string>

namespace zarvo {
namespace {

EditStep replace(int index, const std::string& before, const std::string& after) {
    return {{RowKind::Block, index, RowText{before, {}}, RowText{after, {}}}};
}

TEST(EditHistoryTest, MergesQuickPressesOnTheSameRowsOnly) {
    const EditStep insertion{{RowKind::Block, 0, std::nullopt, RowText{"c", {}}}};
    const EditStep next = replace(0, "b", "c");
    struct Case { bool firstMerging, secondMerging; std::int64_t gapMs; EditStep second; bool merged; };
    const Case cases[] = {{true, true, 999, next, true},  {true, true, 1000, next, false},
                          {false, true, 10, next, false}, {true, false, 10, next, false},
                          {true, true, -1, next, false},  {true, true, 10, replace(1, "b", "c"), false},
                          {true, true, 10, insertion, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.gapMs << " " << c.merged);
        EditHistory history;
        history.record(replace(0, "a", "b"), 5000, c.firstMerging);
        history.record(c.second, 5000 + c.gapMs, c.secondMerging);
        EXPECT_EQ(history.undo(), c.merged ? replace(0, "c", "a") : invertedStep(c.second));
        EXPECT_EQ(history.canUndo(), !c.merged);
    }
}

TEST(EditHistoryTest, MergingCountsFromTheNewestPressAndEndsWithUndoAndRedoLastsUntilARecord) {
    EditHistory history;
    history.record(replace(0, "a", "b"), 0, true);
    history.record(replace(0, "b", "c"), 900, true);
    history.record(replace(0, "c", "d"), 1800, true);
    history.record(replace(1, "x", "y"), 1900, true);
    EXPECT_EQ(history.undo(), replace(1, "y", "x"));
    history.record(replace(0, "d", "e"), 2000, true);
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.undo(), replace(0, "e", "d"));
    EXPECT_EQ(history.undo(), replace(0, "d", "a"));
    EXPECT_FALSE(history.undo());
    history.record({}, 3000);
    EXPECT_EQ(history.redo(), replace(0, "a", "d"));
    EXPECT_EQ(history.redo(), replace(0, "d", "e"));
    EXPECT_FALSE(history.redo());
}

}  // namespace
}  // namespace zarvo

#include "proposals/FieldProposals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>


namespace zarvo {
namespace {

// A label or block row as its list holds it: name, style, left, top, width,
// height, then the rest of the fields.
RowText frameRow(const std::string& name, double left, double top, double width, double height) {
    return RowText{name, {"0", std::to_string(left), std::to_string(top), std::to_string(width),
                          std::to_string(height), "0", "0", "0", "0", "3.5", "0", "0"}};
}

GuideBox box(double left, double top, double right, double bottom, bool caption = false) {
    return GuideBox{{left, top, right, bottom}, caption};
}

std::vector<std::string> names(const std::vector<FieldProposal>& proposals) {
    std::vector<std::string> result;
    for (const FieldProposal& p : proposals) result.push_back(p.name);
    return result;
}

// Which boxes get a frame: empty ones that no block covers, each filled less
// the margin; caption boxes, boxes a block overlaps and boxes too small for
// the margin get none. A block that only touches a box's line leaves it free.
TEST(FieldProposalsTest, ProposesAFrameForEveryFreeEmptyBox) {
    const std::vector<GuideBox> row = {box(0, 34, 22, 42, true), box(22, 34, 120, 42), box(120, 34, 142, 42),
                                       box(142, 34, 190, 42)};
    struct Case {
        const char* name;
        std::vector<GuideBox> boxes;
        std::vector<RowText> blocks;
        double margin;
        std::vector<RectMm> frames;
    };
    const Case cases[] = {
        {"nothing found", {}, {}, 0.5, {}},
        {"every empty box, less the margin", row, {}, 0.5,
         {{22.5, 34.5, 119.5, 41.5}, {120.5, 34.5, 141.5, 41.5}, {142.5, 34.5, 189.5, 41.5}}},
        {"no margin", row, {}, 0, {{22, 34, 120, 42}, {120, 34, 142, 42}, {142, 34, 190, 42}}},
        {"a block inside a box takes it", row, {frameRow("date", 143, 35, 40, 6)}, 0.5,
         {{22.5, 34.5, 119.5, 41.5}, {120.5, 34.5, 141.5, 41.5}}},
        {"a block over two boxes takes both", row, {frameRow("wide", 100, 35, 30, 6)}, 0.5,
         {{142.5, 34.5, 189.5, 41.5}}},
        {"a block up to the shared line takes only its own box", row, {frameRow("customer", 22, 34, 98.1, 8)}, 0.5,
         {{120.5, 34.5, 141.5, 41.5}, {142.5, 34.5, 189.5, 41.5}}},
        {"a block beside the row takes nothing", row, {frameRow("below", 22, 42, 168, 8)}, 0.5,
         {{22.5, 34.5, 119.5, 41.5}, {120.5, 34.5, 141.5, 41.5}, {142.5, 34.5, 189.5, 41.5}}},
        {"an unreadable block takes nothing", {box(22, 34, 120, 42)},
         {RowText{"bad", {"0", "x", "34", "98", "8"}}}, 0.5, {{22.5, 34.5, 119.5, 41.5}}},
        {"a box no wider than twice the margin", {box(10, 10, 11, 30), box(10, 10, 11.2, 30)}, {}, 0.5,
         {{10.5, 10.5, 10.7, 29.5}}},
        {"only caption boxes", {box(0, 0, 10, 10, true), box(10, 0, 20, 10, true)}, {}, 0.5, {}},
    };
    for (const Case& c : cases) {
        const std::vector<FieldProposal> proposals = proposeFields(c.boxes, {}, c.blocks, c.margin);
        ASSERT_EQ(proposals.size(), c.frames.size()) << c.name;
        for (std::size_t i = 0; i < proposals.size(); ++i) {
            EXPECT_NEAR(proposals[i].frame.left, c.frames[i].left, 1e-9) << c.name << " #" << i;
            EXPECT_NEAR(proposals[i].frame.top, c.frames[i].top, 1e-9) << c.name << " #" << i;
            EXPECT_NEAR(proposals[i].frame.right, c.frames[i].right, 1e-9) << c.name << " #" << i;
            EXPECT_NEAR(proposals[i].frame.bottom, c.frames[i].bottom, 1e-9) << c.name << " #" << i;
        }
    }
}

// A proposal is named after the label in the caption box just left of it,
// else just above it, blanks removed, while no block or earlier proposal has
// that name; otherwise field1, field2 ... in reading order, skipping names
// taken.
TEST(FieldProposalsTest, NamesProposalsAfterTheCaptionBesideThem) {
    // A header row (caption, empty, caption, empty) over a table with a
    // caption row above two empty rows; the boxes are found 0.1 mm off the
    // labels' frames.
    const std::vector<GuideBox> form = {
        box(0.1, 34.1, 22.1, 42, true), box(22.1, 34.1, 120, 42), box(120, 34.1, 142.1, 42, true),
        box(142.1, 34.1, 190, 42),
        box(0, 70, 12, 79, true), box(12, 70, 98, 79, true),  // 項次, 品名規格
        box(0, 79, 12, 87, true), box(12, 79, 98, 87),          // 1, empty
        box(0, 87, 12, 95), box(12, 87, 98, 95),                // two empty boxes
    };
    const RowText customer = frameRow("客戶 名稱", 0, 34, 22, 8);
    const RowText date = frameRow("出貨\xE3\x80\x80日期", 120, 34, 22, 8);
    const RowText item = frameRow("品名規格", 12, 70, 86, 9);
    const RowText one = frameRow("1", 0, 79, 12, 8);
    struct Case {
        const char* name;
        std::vector<RowText> labels;
        std::vector<RowText> blocks;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {"no labels", {}, {}, {"field1", "field2", "field3", "field4", "field5"}},
        {"captions left of the boxes, blanks removed", {customer, date}, {},
         {"客戶名稱", "出貨日期", "field1", "field2", "field3"}},
        {"a caption above", {item}, {}, {"field1", "field2", "品名規格", "field3", "field4"}},
        {"left before above", {item, one}, {}, {"field1", "field2", "1", "field3", "field4"}},
        {"a name a block has", {customer, date}, {frameRow("客戶名稱", 0, 200, 10, 8)},
         {"field1", "出貨日期", "field2", "field3", "field4"}},
        {"field names blocks have are skipped", {}, {frameRow("field1", 0, 200, 10, 8), frameRow("field3", 0, 210, 10, 8)},
         {"field2", "field4", "field5", "field6", "field7"}},
        {"a label in an empty box names nothing", {frameRow("note", 23, 35, 10, 5)}, {},
         {"field1", "field2", "field3", "field4", "field5"}},
        {"the same caption twice: the second gets a number", {frameRow("名稱", 0, 34, 22, 8), frameRow("名稱", 120, 34, 22, 8)},
         {}, {"名稱", "field1", "field2", "field3", "field4"}},
        {"a label of blanks names nothing", {frameRow(" \xE3\x80\x80 ", 0, 34, 22, 8)}, {},
         {"field1", "field2", "field3", "field4", "field5"}},
    };
    for (const Case& c : cases) EXPECT_EQ(names(proposeFields(form, c.labels, c.blocks, 0.5)), c.want) << c.name;
}

// The character height: 0.6 of the box's height, rounded down to 0.5 mm,
// from 0.5 mm up to 5 mm.
TEST(FieldProposalsTest, SizesTheCharactersToTheBox) {
    struct Case {
        double height, want;
    };
    const Case cases[] = {{8, 4.5}, {9, 5}, {24, 5}, {5, 3}, {7.5, 4.5}, {5.8, 3.0}, {1, 0.5}, {0.4, 0.5}, {25.0 / 3, 5}};
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(proposedCharHeight(c.height), c.want) << c.height;
}

// Accepted proposals become block rows appended to the list as one step,
// their frames written to 0.1 mm with the right edge kept where it rounds.
TEST(FieldProposalsTest, AcceptedProposalsBecomeBlockRowsInOneStep) {
    const FieldProposal customer{"客戶名稱", {22.04, 34.02, 119.98, 42.01}, {22.54, 34.52, 119.48, 41.51}};
    const FieldProposal odd{"field1", {10.04, 10, 20.16, 15.3}, {10.04, 10, 20.16, 15.3}, true};
    const EditStep step = acceptProposalsStep({customer, odd}, 3);
    ASSERT_EQ(step.size(), 2u);
    EXPECT_EQ(step[0], (RowChange{RowKind::Block, 3, std::nullopt,
                                  RowText{"客戶名稱", {"0", "22.5", "34.5", "97", "7", "0", "0", "0", "0", "4.5", "0", "0"}}}));
    EXPECT_EQ(step[1], (RowChange{RowKind::Block, 4, std::nullopt,
                                  RowText{"field1", {"0", "10", "10", "10.2", "5.3", "0", "0", "5", "0", "3", "0", "0"}}}))
        << "a column of numbers is set right";
    EXPECT_TRUE(acceptProposalsStep({}, 3).empty());
}

// A table's columns are proposed as detail rows: one proposal a column at
// its first row's box, holding every row's box, with its header as caption
// box; named after the header's label, else colA, colB ... A lone box keeps
// the caption box beside it, left before above.
TEST(FieldProposalsTest, ProposesATablesColumnsAsDetailRows) {
    std::vector<GuideBox> form = {box(20, 30, 50, 40, true), box(50, 30, 120, 40)};
    const double edges[] = {20, 90, 115, 150};
    for (int c = 0; c < 3; ++c) form.push_back(box(edges[c], 60, edges[c + 1], 70, true));
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) form.push_back(box(edges[c], 70 + 9 * r, edges[c + 1], 79 + 9 * r));
    const std::vector<RowText> labels = {frameRow("品名", 21, 61, 60, 8), frameRow("客戶：", 21, 31, 20, 8)};

    const std::vector<FieldProposal> proposals = proposeFields(form, labels, {frameRow("colA", 0, 200, 5, 5)}, 0.5);
    ASSERT_EQ(names(proposals), (std::vector<std::string>{"客戶：", "品名", "colB", "colC"}));
    EXPECT_TRUE(proposals[0].rowBoxes.empty());
    EXPECT_EQ(proposals[0].captionBox, (RectMm{20, 30, 50, 40}));
    EXPECT_EQ(proposals[0].caption, "客戶：");
    const FieldProposal& item = proposals[1];
    EXPECT_EQ(item.caption, "品名");
    EXPECT_EQ(item.captionBox, (RectMm{20, 60, 90, 70}));
    EXPECT_EQ(item.box, (RectMm{20, 70, 90, 79}));
    ASSERT_EQ(item.rowBoxes.size(), 4u);
    EXPECT_EQ(item.rowBoxes.back(), (RectMm{20, 97, 90, 106}));
    EXPECT_EQ(proposals[2].caption, "") << "no label in its header";
    EXPECT_EQ(proposals[2].captionBox, (RectMm{90, 60, 115, 70}));

    // A block over the third row takes that row from its column.
    const std::vector<FieldProposal> taken = proposeFields(form, {}, {frameRow("x", 91, 89, 20, 6)}, 0.5);
    ASSERT_EQ(taken.size(), 4u);
    EXPECT_EQ(taken[2].rowBoxes.size(), 3u);
    EXPECT_EQ(taken[1].rowBoxes.size(), 4u);
}

// A column of detail rows becomes a block a row, its name followed by the
// row's number, each filling its row's box less the margin.
TEST(FieldProposalsTest, AcceptedDetailColumnsBecomeNumberedBlocks) {
    FieldProposal qty{"數量", {90, 70, 115, 79}, {90.5, 70.5, 114.5, 78.5}, true};
    qty.rowBoxes = {{90, 70, 115, 79}, {90, 79, 115, 88}, {90, 88, 115, 97}};
    const FieldProposal lone{"note", {0, 0, 10, 10}, {0.5, 0.5, 9.5, 9.5}};
    EXPECT_EQ(proposedBlockNames(qty), (std::vector<std::string>{"數量1", "數量2", "數量3"}));
    EXPECT_EQ(proposedBlockNames(lone), (std::vector<std::string>{"note"}));
    EXPECT_EQ(proposedBlockFrames(qty)[2], (RectMm{90.5, 88.5, 114.5, 96.5}));

    const EditStep step = acceptProposalsStep({lone, qty}, 2);
    ASSERT_EQ(step.size(), 4u);
    EXPECT_EQ(step[0].after->caption, "note");
    EXPECT_EQ(step[3], (RowChange{RowKind::Block, 5, std::nullopt,
                                  RowText{"數量3", {"0", "90.5", "88.5", "24", "8", "0", "0", "5", "0", "5", "0", "0"}}}))
        << "the third row's box, set right as its column";

    // A column clashes by any of its blocks.
    EXPECT_EQ(clashingNames({qty, lone}, {RowText{"數量2", {}}}), (std::vector<std::string>{"數量"}));
    EXPECT_EQ(clashingNames({qty, FieldProposal{"數量3", {}, {}}}, {}), (std::vector<std::string>{"數量", "數量3"}));
    EXPECT_TRUE(clashingNames({qty, lone}, {RowText{"數量", {}}}).empty());
}

TEST(FieldProposalsTest, NamesThatWouldGiveTwoBlocksOneNameAreFound) {
    const auto named = [](std::vector<std::string> names) {
        std::vector<FieldProposal> proposals;
        for (std::string& name : names) proposals.push_back(FieldProposal{std::move(name), {}, {}});
        return proposals;
    };
    const std::vector<RowText> blocks = {RowText{"customer", {}}, RowText{"date", {}}};
    const struct {
        std::vector<std::string> chosen;
        std::vector<std::string> clashes;
    } cases[] = {
        {{"sign", "total"}, {}},
        {{"sign", "customer"}, {"customer"}},
        {{"a", "b", "a", "a"}, {"a"}},
        {{"b", "date", "b"}, {"b", "date"}},
    };
    for (const auto& c : cases) EXPECT_EQ(clashingNames(named(c.chosen), blocks), c.clashes);
}

}  // namespace
}  // namespace zarvo

#include "engine/BlockSample.h"

#include <memory>

namespace zarvo {

BlockSample drawBlockSample(Surface& surface, const FrameRow& row, const ProfileSection& section,
                            std::string_view big5Value, const std::string& reportPath) {
    auto profile = std::make_shared<FormProfile>();
    ProfileSection& own = profile->sectionFor(blockSectionName(row.label));
    own.entries = section.entries;
    XPrint engine;
    engine.setProfile(profile);
    engine.reportPath = reportPath;
    engine.surface = &surface;
    engine.dpi = surface.dotsPerInch();
    BlockRecord block = row;
    block.left = 0;
    block.top = 0;
    engine.addBlock(std::move(block));
    engine.blockCount = 1;
    BlockSample sample;
    sample.placement = engine.DrawField(row.label, std::string(big5Value), 0, 0);
    // A fixed picture is the form's own, drawn whatever the value.
    engine.DrawFixedPictures();
    sample.faults = engine.valueFaults();
    return sample;
}

}  // namespace zarvo

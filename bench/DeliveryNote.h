#pragma once
// What the page benchmarks share: the delivery note's page written from its
// test data, and the process's peak memory.

#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/PageFileName.h"
#include "platform/os/DataRoot.h"
#include "engine/PageSequence.h"
#include "compose/TestPage.h"
#include "report/TestDataLine.h"

namespace {

const std::string kExamples = std::string(ZARVO_SOURCE_DIR) + "/examples/";

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A preview with the delivery note's page written from its test data.
struct DeliveryNote {
    DeliveryNote() : pages("/QEL/Tmp/bench") {
        std::filesystem::path root = std::filesystem::temp_directory_path() / "zarvo-bench";
        std::filesystem::create_directories(root);
        zarvo::setDataRootOverride(root.string());
        zarvo::writeTestPage(pages, kExamples + "delivery_note.txt",
                             zarvo::splitTestDataLines(readFile(kExamples + "delivery_note_data.txt")));
        pageFile = zarvo::pageFileName(pages.stem(), 0);
    }
    zarvo::PageSequence pages;
    std::string pageFile;
};

// The peak resident memory of the process so far, KiB.
inline long peakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

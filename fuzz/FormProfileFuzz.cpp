// The form_profile fuzz target: the input as a profile file, read, written
// and read again, and read by the engine as the file beside a report.

#include <string>

#include "engine/FormProfileFile.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzTargets.h"
#include "report/FormProfile.h"
#include "report/ProfilePaper.h"
#include "report/StationeryKeys.h"

namespace zarvo::fuzz {

void fuzzFormProfile(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = asText(data, size);
    const FormProfile profile = parseFormProfile(input);
    check(profile.sections.size() <= input.size() + 1, "no more sections than lines");
    if (!profile.fileFault.empty()) check(profile.sections.empty(), "a file fault reads nothing");
    (void)profilePaper(profile);
    (void)stationeryKeys(profile);

    // What is kept reads back the same: every section and entry, the
    // values as they were.
    const FormProfile kept = profile.withoutStoppingFaults();
    check(!kept.stoppingFault(), "the kept profile stops nothing");
    const std::string text = formProfileText(kept);
    const FormProfile reread = parseFormProfile(text);
    check(formProfileText(reread) == text, "the written text is written again the same");
    for (const ProfileSection& section : kept.sections) {
        if (section.entries.empty()) continue;
        const ProfileSection* again = reread.section(section.name);
        check(again != nullptr, "a section with entries is read back");
        check(again->entries.size() == section.entries.size(), "its entries are read back");
        for (std::size_t i = 0; i < section.entries.size(); ++i) {
            check(again->entries[i].key == section.entries[i].key, "keys read back");
            check(again->entries[i].value == section.entries[i].value, "values read back");
        }
        if (const std::optional<std::string> block = blockNameOf(section.name)) {
            check(blockNameOf(blockSectionName(*block)) == block, "a block name escapes and reads back");
        }
    }
    (void)profileFromText(input);
}

}  // namespace zarvo::fuzz

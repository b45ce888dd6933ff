#pragma once
// The form profile: everything Zarvo adds to a form beyond its report file,
// kept in an INI file beside it (delivery_note.txt -> delivery_note.zarvo),
// UTF-8. [General] holds the stationery picture's keys, [Paper] a paper of
// the form's own size, [Block NAME] how a block's value is drawn and
// formatted, [Detail] the detail rows. Sections and keys this version does
// not know, comment and blank lines are kept where they stand when the
// profile is written again.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/IniDocument.h"

namespace zarvo {

// The profile's faults, entries and sections are those of its INI document.
using ProfileFault = IniFault;
using ProfileEntry = IniEntry;
using ProfileSection = IniSection;

class FormProfile : public IniDocument {
public:
    // Why the file as a whole cannot be read (not UTF-8, too large, not a
    // regular file, unreadable); empty when it could be.
    std::string fileFault;

    // The section of the block named big5Name (the name as the report holds
    // it), nullptr when there is none.
    const ProfileSection* block(std::string_view big5Name) const;
    // Renames the block's section from big5Name to newBig5Name, if it has one.
    void renameBlock(std::string_view big5Name, std::string_view newBig5Name);

    // The first fault that must stop printing: the file's own, or one in any
    // section but [General] (whose faults only hide the stationery picture).
    std::optional<ProfileFault> stoppingFault() const;
    // The faults of [General], nullptr when there is no [General] or none.
    const ProfileFault* stationeryFault() const;
    // The profile without the faults that stop printing: the sections that
    // have one and the file fault gone, the other sections kept. [General]
    // stays as it is, its faults with it, so that the stationery note still
    // says what is wrong. What the designer works on after saying what was
    // wrong.
    FormProfile withoutStoppingFaults() const;

    bool operator==(const FormProfile&) const = default;
};

// The section name of the block named big5Name: "Block " and the name in
// UTF-8, with '%', ']', ';', '=', a leading '#', a blank at either end and
// bytes below 0x20 (and 0x7F) written as %XX.
std::string blockSectionName(std::string_view big5Name);
// The block name (Big5) of a section named "Block ...", escapes undone;
// nullopt for any other section or a name that is not UTF-8.
std::optional<std::string> blockNameOf(std::string_view sectionName);

// Reads a profile's bytes. Never throws: lines that cannot be read and
// values that cannot be used are faults of their section, a file that is
// not UTF-8 or too large is a file fault. Known sections are checked:
// [Paper] here; [Block] and [Detail] keys by their own checks.
FormProfile parseFormProfile(std::string_view bytes);

// The profile's text, as iniText writes its document.
std::string formProfileText(const FormProfile& profile);

// The largest profile file read, bytes: a profile holds a few hundred lines.
inline constexpr std::size_t kMaxProfileBytes = 1024 * 1024;

// "表單設定檔 PATH 第 N 行: REASON" (or without the line for the file as a
// whole), for messages and the renderer's standard error.
std::string profileFaultMessage(const std::string& profilePath, const ProfileFault& fault);

// The profile file of reportPath: its name with the last extension replaced
// by ".zarvo" ("/a/x.y.txt" -> "/a/x.y.zarvo", "/a/note" -> "/a/note.zarvo");
// empty when reportPath is empty or is itself named "*.zarvo".
std::string formProfilePathFor(const std::string& reportPath);

}  // namespace zarvo

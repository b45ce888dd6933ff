#pragma once
// The forms a print service offers: the reports (*.txt, each with its form
// profile NAME.zarvo beside it) in its forms folders. Callers name a form,
// never a path; a form's name is its file name without ".txt", and the
// first folder that holds a name gives that form.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Paper.h"

namespace zarvo {

// What a caller learns of a form: its paper and the names of its blocks.
struct FormSummary {
    std::string name;                       // UTF-8
    SheetPaper paper;                       // the report header's code, the profile's paper
    std::vector<std::string> blocks;        // UTF-8, in the block table's order, each once
    std::vector<std::string> detailFields;  // UTF-8, the [Detail] fields; empty without detail rows
};

class FormCatalog {
public:
    explicit FormCatalog(std::vector<std::string> folders);

    // Whether name could name a path rather than a form: empty, too long,
    // or holding '/', '\\', "..", a control byte, or not UTF-8 readable
    // as a file name.
    static bool pathLike(std::string_view name);

    // The report file of the form named name; nullopt for a path-like name
    // or one that names no report in the folders.
    std::optional<std::string> reportPath(std::string_view name) const;

    // Every form's name, sorted, each once.
    std::vector<std::string> names() const;

    const std::vector<std::string>& folders() const { return folders_; }

private:
    std::vector<std::string> folders_;
};

// Reads the report at reportPath and its profile. Throws ReportError or
// ConversionError when it cannot be read.
FormSummary summarizeForm(const std::string& name, const std::string& reportPath);

}  // namespace zarvo

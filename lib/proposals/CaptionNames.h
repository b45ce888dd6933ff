#pragma once
// Names taken from the captions printed on a scanned form: a caption as
// read, less blanks and punctuation, is a data file's column when their
// keys are equal, else a name of its own. No Qt.

#include <string>
#include <string_view>
#include <vector>

#include "format/DataColumns.h"

namespace zarvo {

// text (UTF-8) without blanks (ASCII and ideographic) and punctuation, ASCII
// or CJK (。、：「」 full-width forms and the like): what two captions are
// compared by. Bytes that are no UTF-8 are kept as they are.
std::string captionKey(std::string_view text);

// The name a caption gives: the first column of columns whose key equals
// the caption's, as the column spells it; else the caption's key (empty
// when the caption holds nothing but blanks and punctuation).
std::string nameFromCaption(std::string_view caption, const std::vector<DataColumn>& columns);

}  // namespace zarvo

#pragma once
// How a block draws its value, as its [Block NAME] section of the form
// profile says: the value format first, then the kind (text, possibly in
// digit cells, or a barcode or 2D code). The one place where the keys of a
// block section are read and a value is checked against them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/ValueFormat.h"
#include "picture/BlockPicture.h"
#include "picture/PictureStyle.h"
#include "report/ReportError.h"
#include "report/FormProfile.h"
#include "symbol/SymbolSpec.h"

namespace zarvo {

struct BlockStyle {
    ValueFormat format;
    SymbolSpec symbol;  // kind Text: the value is drawn as text
    // shrink=yes: a text that does not fit is set at the largest character
    // height, in 0.1 mm steps down to minCharMm (min=), at which it does.
    bool shrink = false;
    double minCharMm = 2;
    // kind=image: the value (or picture=) names a picture drawn in the frame.
    std::optional<PictureStyle> picture;
    bool isSymbol() const { return symbol.kind != SymbolKind::Text; }
    bool isPicture() const { return picture.has_value(); }
};

// The style a block section describes, or the fault of its first key that
// cannot be used (its line, a reason naming the key, the key).
struct ParsedBlockStyle {
    BlockStyle style;
    std::optional<ProfileFault> fault;
};
ParsedBlockStyle parseBlockStyle(const ProfileSection& section);

// Adds to every [Block NAME] section of profile the fault of its keys, if
// any, so that the profile's stoppingFault() names it.
void checkBlockSections(FormProfile& profile);

// A block value made ready to draw: the formatted Big5 text (empty: nothing
// to draw), or why the value cannot be drawn ("「12a」不是金額").
struct BlockValue {
    std::string text;
    std::string error;
    bool ok() const { return error.empty(); }
};

// Formats big5Value with the style's format and, for a symbol, checks that
// the symbology can hold the result. The error quotes the value and says
// why; the caller names the record or page and the field.
BlockValue prepareBlockValue(const BlockStyle& style, std::string_view big5Value);

// A value that a print cannot draw: what() is fieldValueMessage's text; the
// print names the page or record before it and stops before its first page.
class FieldValueError : public ReportError {
public:
    using ReportError::ReportError;
};

// "欄位「NAME」: REASON" for a value of the block named big5Name.
std::string fieldValueMessage(std::string_view big5Name, const std::string& reason);

// The error of big5Value in the block named big5Name under profile, as
// fieldValueMessage words it; empty when the block has no section, its
// section cannot be read (that is the profile's own fault) or the value is
// fine.
std::string blockValueFault(const FormProfile& profile, std::string_view big5Name, std::string_view big5Value);
// The same, with a picture's file looked for in folders (found, read and
// decoded); without folders a picture value is not checked.
std::string blockValueFault(const FormProfile& profile, std::string_view big5Name, std::string_view big5Value,
                            const PictureFolders& folders);

// Whether the block named big5Name draws a picture (kind=image, its
// section readable).
bool isPictureBlock(const FormProfile& profile, std::string_view big5Name);

// The fault of the first fixed picture (picture=) among the blocks named
// big5Names whose section holds one, as fieldValueMessage words it; empty
// when every one can be drawn.
std::string fixedPictureFault(const FormProfile& profile, const std::vector<std::string>& big5Names,
                              const PictureFolders& folders);

}  // namespace zarvo

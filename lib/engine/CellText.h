#pragma once
// Characters set one a cell: digit cells of an amount, and the line of text
// under a barcode's bars. Cells are in layout units (kLayoutDpi) like all
// frame text; each character's place is scaled to the surface.

#include <string_view>
#include <vector>

#include "format/DigitCells.h"
#include "platform/Surface.h"

namespace zarvo {

// Draws each character of the Big5 text in its cell, centred across the
// cell and down top..bottom, with the face of fontCode at charHeight (layout
// units), upright. cells comes from digitCells for the same text.
void drawCellCharacters(Surface& surface, const std::vector<CellCharacter>& cells, std::string_view text,
                        int top, int bottom, int fontCode, int charHeight);

// The width in layout units of a line of text set with the half-cell
// advance of fontCode at charHeight (one-byte characters half, two-byte
// characters a full cell).
int cellLineWidth(Surface& surface, std::string_view text, int fontCode, int charHeight);

}  // namespace zarvo

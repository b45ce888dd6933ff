#pragma once
// Removing the page data files of a preview.

#include <string>

namespace zarvo {

// Deletes the data files of pages 0 to lastPage of the preview whose
// DataFileStem is stem; page 0, which reserved the stem, also when no page
// was started (lastPage -1). A file that cannot be deleted is skipped.
void removePageFiles(const std::string& stem, int lastPage);

}  // namespace zarvo

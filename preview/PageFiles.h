#pragma once
// Removing the page data files of a preview.

#include <string>

namespace zarvo {

// Deletes the data files of pages 0 to lastPage of the preview whose
// DataFileStem is stem. A file that cannot be deleted is skipped.
void removePageFiles(const std::string& stem, int lastPage);

}  // namespace zarvo

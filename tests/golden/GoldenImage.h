#pragma once
// Comparing a drawn image with one kept under tests/golden/.

#include <QImage>

#include <string>

namespace zarvo::test {

// Expects actual to match tests/golden/<name>.png within a small tolerance
// (font rasterisers differ a little between systems; a real change of the
// layout moves whole glyphs, thousands of pixels). On a mismatch the drawn
// image is written beside the test binary as <name>.actual.png. With
// ZARVO_UPDATE_GOLDEN=1 the kept image is rewritten instead.
void expectMatchesGolden(const QImage& actual, const std::string& name);

}  // namespace zarvo::test

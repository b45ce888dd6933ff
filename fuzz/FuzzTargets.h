#pragma once
// The logic of the fuzz targets: each takes one input of arbitrary bytes
// (not owned, size bytes), drives a reader or the layout with it, and
// aborts when an invariant breaks. Linked by the libFuzzer executables and
// by the replay test of the normal build, so every saved input is replayed.

#include <cstddef>
#include <cstdint>

namespace zarvo::fuzz {

// The input as a report file, drawn as a whole page into a preview image and
// onto a print job sheet, a few fields included.
void fuzzReportPage(const std::uint8_t* data, std::size_t size);

// The input as the records of a page file on a fixed valid report, shown and
// printed; then the input as a whole page file, report path line included.
void fuzzPageData(const std::uint8_t* data, std::size_t size);

// Frame, style, mode, font code, height and gaps from the first bytes, the
// rest as the text, laid out by DrawFrameText and measured.
void fuzzFrameText(const std::uint8_t* data, std::size_t size);

// The input as one test data line and as a test data text split into lines.
void fuzzTestDataLine(const std::uint8_t* data, std::size_t size);

// The input as Big5 bytes and as UTF-8 text through the codec's round trips.
void fuzzBig5(const std::uint8_t* data, std::size_t size);

// The input as a data file of each kind (.csv, .json, .jsonl): checked whole,
// then read record by record, and each record read again from its position.
void fuzzDataFile(const std::uint8_t* data, std::size_t size);

// The input as a block's format keys ("key=value" lines up to an empty
// line) and a raw value (the rest), formatted with them and with each
// format's defaults; the value also as a decimal and in digit cells.
void fuzzValueFormat(const std::uint8_t* data, std::size_t size);

// The input as a form profile: read, written and read again.
void fuzzFormProfile(const std::uint8_t* data, std::size_t size);

// The input as a picture's bytes: header read, decoded small in each fit
// and turned to dots; and as a block's data: value.
void fuzzPicture(const std::uint8_t* data, std::size_t size);

}  // namespace zarvo::fuzz

#pragma once
// Each printer's own correction of where and how large it prints: a shift
// in mm and a scale in percent per axis of the sheet, kept per user in an
// INI file and keyed by the print server and the CUPS destination (an
// instance is a printer of its own).

#include <string>

namespace zarvo {

struct PrinterCorrection {
    double dx = 0;    // mm, across the sheet, -50..50, kept to 0.1
    double dy = 0;    // mm, along the feed, -50..50, kept to 0.1
    double sx = 100;  // percent, 95..105, kept to 0.01
    double sy = 100;  // percent, 95..105, kept to 0.01
    bool operator==(const PrinterCorrection&) const = default;
    bool isNone() const { return *this == PrinterCorrection{}; }
};

// Whether every value lies in its range.
bool correctionInRange(const PrinterCorrection& correction);
// The values as kept: shifts to 0.1 mm, scales to 0.01 %.
PrinterCorrection roundedCorrection(const PrinterCorrection& correction);
// "dx dy sx sy" as the shortest decimals that hold them ("1.5 -0.7 100.4
// 99.8", "0 0 100 100"; never "-0").
std::string formatCorrection(const PrinterCorrection& correction);

// The corrections file: $XDG_CONFIG_HOME/zarvo/printers.conf, with
// ~/.config for an unset or empty XDG_CONFIG_HOME.
std::string printerCorrectionsPath();
// The print server this process talks to, as libcups names it (a socket
// path or host:port).
std::string currentPrintServer();

class PrinterCorrections {
public:
    // The corrections kept in the file at path.
    explicit PrinterCorrections(std::string path = printerCorrectionsPath());

    // The correction of printer on server; none when none is kept. A file
    // that cannot be read or is damaged, or a kept value out of range, gives
    // none and sets problem (when given) to the message that says so
    // (UTF-8): "印表機校正檔 FILE 無法讀取, 以未校正的位置列印".
    PrinterCorrection correction(const std::string& server, const std::string& printer,
                                 std::string* problem = nullptr) const;
    // Keeps correction (rounded; must be in range) for printer on server,
    // leaving every other entry as it was; the file is replaced only once
    // written whole. Throws ReportError naming the file when it cannot be
    // written or is damaged (it is then left alone).
    void setCorrection(const std::string& server, const std::string& printer,
                       const PrinterCorrection& correction);
    // Removes printer's entry on server (nothing when there is none); throws
    // as setCorrection does.
    void removeCorrection(const std::string& server, const std::string& printer);

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace zarvo

#include "symbol/SymbolMatrix.h"

#include "symbol/SymbolError.h"

#include <zint.h>

#include <memory>

namespace zarvo {
namespace {

// PDF417 rows are drawn three modules high, the height readers expect.
constexpr int pdf417RowHeight = 3;
constexpr std::size_t maxDataBytes = 10000;

struct SymbolDeleter {
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};
using ZintSymbol = std::unique_ptr<zint_symbol, SymbolDeleter>;

int zintSymbology(SymbolKind kind)
{
    switch (kind) {
    case SymbolKind::Code39: return BARCODE_CODE39;
    case SymbolKind::Code128: return BARCODE_CODE128;
    case SymbolKind::Ean13: return BARCODE_EANX_CHK;
    case SymbolKind::Qr: return BARCODE_QRCODE;
    case SymbolKind::DataMatrix: return BARCODE_DATAMATRIX;
    case SymbolKind::Pdf417: return BARCODE_PDF417;
    case SymbolKind::Text: break;
    }
    throw SymbolError("文字欄位不畫成條碼");
}

std::string_view eccName(QrEcc ecc)
{
    static constexpr std::string_view names[] = {"L", "M", "Q", "H"};
    return names[static_cast<int>(ecc)];
}

// The most arbitrary bytes each symbology holds; text, digits or upper-case
// letters may fit more, so the message says what the limit is for any data.
std::string capacity(const SymbolSpec& spec)
{
    switch (spec.kind) {
    case SymbolKind::Qr: {
        static constexpr int bytes[] = {2953, 2331, 1663, 1273};
        return "在糾錯等級 " + std::string(eccName(spec.ecc)) + " 下最多容納 " +
               std::to_string(bytes[static_cast<int>(spec.ecc)]) + " 位元組";
    }
    case SymbolKind::DataMatrix: return "最多容納 1556 位元組";
    case SymbolKind::Pdf417: return "最多容納 1034 位元組";
    case SymbolKind::Code128: return "最多容納 60 個符號字元（兩位數字合為一個）";
    default: return "容納不下";
    }
}

[[noreturn]] void refuseData(const SymbolSpec& spec, std::string_view data, int error)
{
    if (error == ZINT_ERROR_TOO_LONG) {
        // The bar codes hold ASCII only, so their bytes are characters.
        const char* unit = isLinear(spec.kind) ? " 個字元" : " 位元組";
        throw SymbolError(symbolName(spec.kind) + " " + capacity(spec) + "，這筆資料有 " +
                          std::to_string(data.size()) + unit + "，太長");
    }
    throw SymbolError(symbolName(spec.kind) + " 無法編碼這筆資料（錯誤碼 " + std::to_string(error) + "）");
}

}  // namespace

SymbolMatrix encodeSymbol(const SymbolSpec& spec, std::string_view data)
{
    // Far beyond any symbology's capacity; also keeps the length an int.
    if (data.size() > maxDataBytes) refuseData(spec, data, ZINT_ERROR_TOO_LONG);
    ZintSymbol symbol(ZBarcode_Create());
    if (!symbol) throw SymbolError(symbolName(spec.kind) + " 編碼時記憶體不足");
    symbol->symbology = zintSymbology(spec.kind);
    // Bytes go in as they are: no UTF-8 conversion, no escapes, no ECI.
    symbol->input_mode = DATA_MODE;
    if (spec.kind == SymbolKind::Qr) symbol->option_1 = static_cast<int>(spec.ecc) + 1;
    // Square Data Matrix sizes only: the frame keeps its proportions whatever the value.
    if (spec.kind == SymbolKind::DataMatrix) symbol->option_3 = DM_SQUARE;

    const int error = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(data.data()),
                                      static_cast<int>(data.size()));
    if (error >= ZINT_ERROR) refuseData(spec, data, error);

    SymbolMatrix matrix;
    matrix.columns = symbol->width;
    matrix.rows = symbol->rows;
    matrix.rowHeightModules = spec.kind == SymbolKind::Pdf417 ? pdf417RowHeight : 1;
    matrix.dark.reserve(static_cast<std::size_t>(matrix.rows * matrix.columns));
    // encoded_data keeps one bit per module, eight modules a byte, low bit first.
    for (int row = 0; row < matrix.rows; ++row) {
        for (int column = 0; column < matrix.columns; ++column) {
            matrix.dark.push_back((symbol->encoded_data[row][column >> 3] >> (column & 7)) & 1);
        }
    }
    return matrix;
}

}  // namespace zarvo

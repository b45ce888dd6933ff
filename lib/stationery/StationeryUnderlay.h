#pragma once
// A report's stationery as a picture under printed sheets: its settings
// read from beside the report and its picture loaded once, then drawn
// shifted and lightened as on the Layout page.

#include <functional>
#include <string>

#include <QPointF>
#include <QString>

#include "platform/Spooler.h"

class QPainter;
class QRect;

namespace zarvo {

// Draws the stationery on a sheet: painter in sheet pixels at dpi with the
// sheet's top-left corner at (0, 0); sheet is the part to cover.
using StationeryUnderlay = std::function<void(QPainter& painter, const QRect& sheet, int dpi)>;

// The stationery of the report at reportPath; empty when it has none or it
// cannot be used, and then problem says why (empty: no settings file).
StationeryUnderlay stationeryUnderlay(const QString& reportPath, QString& problem);

// Where the form lies on a sheet drawn over the stationery: at the printable
// corner that printer on printers (not owned, outlives the result) gives
// that paper, mm from the sheet's top-left corner as the sheet lies.
std::function<QPointF(const SheetPaper& paper)> printerCornerOrigin(Spooler& printers, std::string printer);

}  // namespace zarvo

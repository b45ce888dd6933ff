#include "stationery/StationeryUnderlay.h"

#include <memory>

#include "layoutmodel/SheetFrame.h"
#include "stationery/StationeryLayer.h"
#include "stationery/StationerySettings.h"
#include "stationery/StraightenedPicture.h"

namespace zarvo {

StationeryUnderlay stationeryUnderlay(const QString& reportPath, QString& problem) {
    problem.clear();
    const QString path = settingsPathFor(reportPath);
    if (path.isEmpty()) return {};
    const StationerySettingsRead read = readStationerySettings(path);
    if (!read.settings) {
        problem = read.problem;
        return {};
    }
    const StationeryKeys& settings = *read.settings;
    const QString picture = absolutePicturePath(QString::fromStdString(settings.picture), reportPath);
    PictureLoad load = loadStationeryPicture(picture, settings.page, settings.dpi);
    if (!load.picture) {
        problem = load.needsDpi ? QStringLiteral("底圖 %1 沒有解析度").arg(picture) : load.problem;
        return {};
    }
    // Shared by every copy of the underlay, so the scaled picture is made once.
    auto layer = std::make_shared<StationeryLayer>();
    // Turned straight as the Layout page shows it.
    layer->setPicture(straightenedPicture(*load.picture, settings.angle));
    layer->setShift(settings.dx, settings.dy);
    layer->setStrength(settings.strength);
    return [layer](QPainter& painter, const QRect& sheet, int dpi) { layer->draw(painter, sheet, dpi); };
}

std::function<QPointF(const SheetPaper& paper)> printerCornerOrigin(Spooler& printers, std::string printer) {
    return [&printers, printer = std::move(printer)](const SheetPaper& paper) {
        const PointMm origin = sheetFrame(paper, printers.sheetMargins(printer, paper)).origin();
        return QPointF(origin.x, origin.y);
    };
}

}  // namespace zarvo

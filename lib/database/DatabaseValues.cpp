#include "database/DatabaseValues.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>
#include <QVariant>

namespace zarvo {

std::string databaseValueText(const QVariant& value) {
    if (value.isNull()) return {};
    switch (value.typeId()) {
    case QMetaType::QDate: return value.toDate().toString(QStringLiteral("yyyy-MM-dd")).toStdString();
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
    case QMetaType::QTime: return value.toTime().toString(QStringLiteral("HH:mm:ss")).toStdString();
    case QMetaType::Bool: return value.toBool() ? "1" : "0";
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest).toStdString();
    case QMetaType::QByteArray: return value.toByteArray().toStdString();
    default: return value.toString().toStdString();
    }
}

}  // namespace zarvo

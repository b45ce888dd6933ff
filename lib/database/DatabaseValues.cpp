#include "database/DatabaseValues.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>
#include <QVariant>

#include <cstdint>

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

std::string bitValueText(const QVariant& value) {
    if (value.isNull()) return {};
    std::uint64_t number = 0;
    for (const char byte : value.toByteArray()) number = number << 8 | static_cast<unsigned char>(byte);
    return std::to_string(number);
}

}  // namespace zarvo

#include "assets/catalogue.h"

#include <QFile>

namespace assets {

namespace {
std::set<int>& missingIds()
{
    static std::set<int> ids;
    return ids;
}
}  // namespace

QImage LoadResPicture(std::int16_t id)
{
    if (missingIds().count(id))
        return {};
    return QImage(QStringLiteral(":/pictures/%1.bmp").arg(id));
}

QByteArray LoadResData(std::int16_t id, const char* type)
{
    if (missingIds().count(id) || QByteArray(type) != "WAV")
        return {};
    QFile file(QStringLiteral(":/sounds/%1.wav").arg(id));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QImage programIcon()
{
    return QImage(QStringLiteral(":/pictures/icon.png"));
}

void setMissingForTest(std::set<int> ids)
{
    missingIds() = std::move(ids);
}

}  // namespace assets

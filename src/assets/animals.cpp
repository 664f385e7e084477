#include "assets/animals.h"

#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <mutex>

namespace assets {

const std::vector<Animal>& animals()
{
    static const std::vector<Animal> list = {
        {QStringLiteral("lamb"), QStringLiteral("小羊")},   {QStringLiteral("cat"), QStringLiteral("小猫")},
        {QStringLiteral("dog"), QStringLiteral("小狗")},    {QStringLiteral("rabbit"), QStringLiteral("小兔")},
        {QStringLiteral("panda"), QStringLiteral("熊猫")},  {QStringLiteral("duck"), QStringLiteral("小鸭")},
        {QStringLiteral("pig"), QStringLiteral("小猪")},    {QStringLiteral("bear"), QStringLiteral("小熊")},
    };
    return list;
}

const Animal* findAnimal(const QString& idOrName)
{
    const QString wanted = idOrName.trimmed();
    for (const Animal& a : animals())
        if (a.id.compare(wanted, Qt::CaseInsensitive) == 0 || a.name == wanted)
            return &a;
    return nullptr;
}

QString firstFreeAnimal(const std::vector<QString>& taken)
{
    for (const Animal& a : animals())
        if (std::find(taken.begin(), taken.end(), a.id) == taken.end())
            return a.id;
    return animals().front().id;
}

QImage animalPicture(const QString& id, int devicePixels)
{
    static std::mutex mutex;
    static QHash<QString, QImage> drawn;
    const QString source = findAnimal(id) ? findAnimal(id)->id : kVisitorPicture;
    const QString key = source + QLatin1Char('@') + QString::number(devicePixels);
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (const auto it = drawn.constFind(key); it != drawn.constEnd())
            return *it;
    }
    QImage picture(std::max(devicePixels, 1), std::max(devicePixels, 1), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QSvgRenderer svg(QStringLiteral(":/animals/%1.svg").arg(source));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    svg.render(&painter, QRectF(picture.rect()));
    painter.end();
    const std::lock_guard<std::mutex> lock(mutex);
    drawn.insert(key, picture);
    return picture;
}

}  // namespace assets

#include "platform/songfont.h"

#include <QFontDatabase>
#include <QStringList>

namespace vb {

QFont songFont(int pixelSize, bool bold)
{
    static const QStringList families = [] {
        QStringList wanted{QStringLiteral("宋体"),           QStringLiteral("SimSun"),
                           QStringLiteral("NSimSun"),        QStringLiteral("AR PL UMing CN"),
                           QStringLiteral("AR PL SungtiL GB"), QStringLiteral("AR PL UMing TW"),
                           QStringLiteral("Noto Serif CJK SC")};
        const QStringList installed = QFontDatabase::families();
        for (int i = 0; i < wanted.size(); ++i) {
            if (installed.contains(wanted.at(i))) {
                wanted.move(i, 0);
                break;
            }
        }
        return wanted;
    }();
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace vb

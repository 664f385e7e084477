// Pellaro: a mental-arithmetic game for young children.
#include <QApplication>

#include "game/form1.h"
#include "platform/sound.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pellaro"));

    int result = 0;
    {
        Form1 form;
        form.Form_Load();
        form.show();
        result = QApplication::exec();
    }
    platform::shutdownSound();
    return result;
}

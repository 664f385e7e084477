#include "help/form3.h"

#include "assets/layouts.h"
#include "platform/stage.h"

#include <QWidget>

Form3::Form3(QWidget* mainWindow) : mainWindow_(mainWindow) {}

Form3::~Form3()
{
    delete window_.data();
}

QString Form3::helpText()
{
    // The aim, an empty line, then the rules as one paragraph. The line breaks
    // are the text's own, so the label shows them as they are.
    const QString lineEnd = QStringLiteral("\n");
    return QStringLiteral("游戏目的：帮助儿童提高口算能力。") + lineEnd + lineEnd +
           QStringLiteral("游戏方法：小羊推着小车来送货了，它送了多少") +
           QStringLiteral("要到秤上秤一下，小羊一共送了多少货就需要你来算一下了。") +
           QStringLiteral("算好了在键盘上打出来，算对了，总数就会写在小木牌上，小羊再接着送。");
}

void Form3::Show()
{
    if (window_) {
        window_->raise();
        window_->activateWindow();
        return;
    }
    auto* window = new vb::FormWindow([this] { Form_Unload(); });
    window_ = window;
    Label1 = assets::buildForm3Layout(window).Label1;
    Form_Load();
    vb::showOver(window, mainWindow_);
}

void Form3::Close()
{
    if (window_)
        window_->close();
}

void Form3::Form_Load()
{
    vb::moveWindowTwips(window_, 2200, 2000);
    Label1->setCaption(helpText());
}

void Form3::Form_Unload()
{
    // The window deletes itself once closed; from now on it is gone for us.
    window_.clear();
    Label1 = nullptr;
    if (mainWindow_)
        mainWindow_->setEnabled(true);
}

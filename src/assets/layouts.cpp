#include "assets/layouts.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include "platform/songfont.h"

namespace assets {

namespace {

vb::PictureBox* pictureBox(QWidget* container, const char* name, int left, int top, int width,
                           int height, bool visible, bool autoSize, const QColor& back)
{
    auto* box = new vb::PictureBox(container);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(left, top, width, height);
    box->setBackColor(back);
    box->setAutoSize(autoSize);
    box->setVisible(visible);
    return box;
}

vb::Label* label(QWidget* container, const char* name, int left, int top, int width, int height,
                 const QString& caption, Qt::Alignment align)
{
    auto* lab = new vb::Label(container);
    lab->setObjectName(QString::fromLatin1(name));
    lab->setGeometry(left, top, width, height);
    lab->setCaption(caption);
    lab->setAlignment(align | Qt::AlignTop);
    return lab;
}

vb::Timer* timer(QObject* owner, const char* name, int intervalMs)
{
    auto* t = new vb::Timer(intervalMs, owner);
    t->setObjectName(QString::fromLatin1(name));
    return t;
}

// A control that is given no colour uses the desktop's button face for its
// back (the picture boxes of the main window's right-hand column).
QColor buttonFace()
{
    return QApplication::palette().color(QPalette::Button);
}

void setWindowBack(QWidget* form, const QColor& color)
{
    QPalette pal = form->palette();
    pal.setColor(QPalette::Window, color);
    form->setPalette(pal);
    form->setAutoFillBackground(true);
}

}  // namespace

Form1Layout buildForm1Layout(QWidget* form)
{
    form->setWindowTitle(QStringLiteral("Pellaro"));
    vb::setFixedSingleBorder(form, 561, 449);
    setWindowBack(form, kNavy);

    Form1Layout c;
    //                                    name        left  top  w    h    visible autosize back
    c.Timer3   = timer(form, "Timer3", 10);
    c.Pictl    = pictureBox(form, "Pictl",    480, 192,  41,  41, true,  true,  buttonFace());
    c.Timer2   = timer(form, "Timer2", 200);
    c.PicLong  = pictureBox(form, "PicLong",  450,   0,   9, 450, false, false, kLightYellow);
    c.Picball0 = pictureBox(form, "Picball",  472,   8,  17,  17, false, true,  buttonFace());
    c.Picth    = pictureBox(form, "Picth",    480, 240,  41,  41, true,  true,  buttonFace());
    c.Pictb    = pictureBox(form, "Pictb",    480, 144,  41,  41, true,  true,  buttonFace());
    c.PicBK    = pictureBox(form, "PicBK",      0,   0, 449, 449, true,  true,  buttonFace());
    QWidget* scene = c.PicBK;
    c.Pictall  = pictureBox(scene, "Pictall", 304, 152,  97,  65, false, true,  kPink);
    c.Pic2     = pictureBox(scene, "Pic2",    264, 399,  33,  41, true,  true,  Qt::white);
    c.Pic1     = pictureBox(scene, "Pic1",    232, 399,  33,  41, true,  true,  Qt::white);
    c.PicBoy   = pictureBox(scene, "PicBoy",  -24, 248,  81,  49, false, true,  Qt::white);
    c.LabAll   = label(scene, "LabAll", 240, 180, 49, 33, QStringLiteral("0"), Qt::AlignRight);
    c.LabRes   = label(scene, "LabRes", 368, 408, 73, 33, QString(), Qt::AlignLeft);
    c.Timer1   = timer(form, "Timer1", 100);
    c.LabFc    = label(form, "LabFc", 472, 352, 73, 33, QStringLiteral("0"), Qt::AlignRight);

    c.Pictl->setToolTip(QStringLiteral("难度"));
    c.Picth->setToolTip(QStringLiteral("帮助"));
    c.Pictb->setToolTip(QStringLiteral("开始"));
    for (vb::PictureBox* button : {c.Pictb, c.Picth, c.Pictl}) {
        button->setCursor(Qt::PointingHandCursor);
        // What a screen reader calls the button.
        button->setAccessibleName(button->toolTip());
    }

    c.LabAll->setForeColor(QApplication::palette().color(QPalette::ButtonText));
    c.LabAll->setFont(vb::songFont(21, true));
    c.LabRes->setForeColor(kRed);
    c.LabRes->setFont(vb::songFont(21, true));
    c.LabFc->setBackOpaque(kNavy);
    c.LabFc->setForeColor(kYellow);
    c.LabFc->setFont(vb::songFont(20, true));
    return c;
}

Form2Layout buildForm2Layout(QWidget* form)
{
    form->setWindowTitle(QStringLiteral("排行榜"));
    vb::setFixedSingleBorder(form, 307, 372);
    setWindowBack(form, Qt::white);

    Form2Layout c;
    c.Command1 = new QPushButton(QStringLiteral("确认"), form);
    c.Command1->setObjectName(QStringLiteral("Command1"));
    c.Command1->setGeometry(248, 40, 41, 25);
    c.Command1->setAutoDefault(false);

    c.Text1 = new QLineEdit(form);
    c.Text1->setObjectName(QStringLiteral("Text1"));
    c.Text1->setGeometry(24, 40, 209, 25);
    c.Text1->setMaxLength(32767);
    c.Text1->setAccessibleName(QStringLiteral("您的大名"));

    c.Labt = label(form, "Labt", 24, 16, 217, 25,
                   QStringLiteral("恭喜恭喜!您上榜了。您的大名:"), Qt::AlignHCenter);
    c.Labt->setBackOpaque(Qt::white);
    c.Labt->setForeColor(kRed);
    c.Labt->setFont(vb::songFont(12, true));

    c.Label1 = label(form, "Label1", 24, 80, 81, 25, QStringLiteral("Label1"), Qt::AlignLeft);
    c.Label1->setBackOpaque(Qt::white);
    c.Label2 = label(form, "Label2", 152, 80, 89, 25, QStringLiteral("Label2"), Qt::AlignLeft);
    c.Label2->setBackOpaque(Qt::white);

    // The name box comes first in the tab order and holds the focus.
    QWidget::setTabOrder(c.Text1, c.Command1);
    c.Text1->setFocus();
    return c;
}

Form3Layout buildForm3Layout(QWidget* form)
{
    form->setWindowTitle(QStringLiteral("帮助"));
    vb::setFixedSingleBorder(form, 348, 252);
    setWindowBack(form, Qt::white);

    Form3Layout c;
    c.Label1 = label(form, "Label1", 16, 8, 313, 225, QStringLiteral("Label1"), Qt::AlignLeft);
    c.Label1->setBackOpaque(Qt::white);
    return c;
}

}  // namespace assets

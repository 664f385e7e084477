#include "platform/controls.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>

#include "platform/system.h"

namespace vb {

QColor QBColor(int index)
{
    static const QRgb palette[16] = {
        qRgb(0, 0, 0),       qRgb(0, 0, 128),     qRgb(0, 128, 0),     qRgb(0, 128, 128),
        qRgb(128, 0, 0),     qRgb(128, 0, 128),   qRgb(128, 128, 0),   qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(0, 0, 255),     qRgb(0, 255, 0),     qRgb(0, 255, 255),
        qRgb(255, 0, 0),     qRgb(255, 0, 255),   qRgb(255, 255, 0),   qRgb(255, 255, 255),
    };
    return QColor(palette[index & 15]);
}

// ------------------------------------------------------------------ PictureBox

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    canvas_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    canvas_.fill(backColor_);
}

void PictureBox::setPicture(const QImage& picture)
{
    if (picture.isNull())
        return;
    picture_ = picture;
    if (autoSize_ && size() != picture_.size())
        resize(picture_.size());
    redrawCanvas();
}

void PictureBox::setAutoSize(bool on)
{
    autoSize_ = on;
    if (autoSize_ && !picture_.isNull())
        resize(picture_.size());
}

void PictureBox::setBackColor(const QColor& color)
{
    backColor_ = color;
    redrawCanvas();
}

void PictureBox::redrawCanvas()
{
    canvas_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    canvas_.fill(backColor_);
    if (!picture_.isNull()) {
        QPainter p(&canvas_);
        p.drawImage(0, 0, picture_);
    }
    update();
}

void PictureBox::fillBox(int x1, int y1, int x2, int y2, int paletteIndex)
{
    const QRect box = QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                            QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1));
    QPainter p(&canvas_);
    p.fillRect(box, QBColor(paletteIndex));
    update(box);
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QRect r = event->rect();
    p.fillRect(r, backColor_);
    p.drawImage(r.topLeft(), canvas_, r);
}

void PictureBox::resizeEvent(QResizeEvent* event)
{
    // Growing keeps what was drawn; the new area shows the back colour.
    QImage grown(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    grown.fill(backColor_);
    QPainter p(&grown);
    p.drawImage(0, 0, canvas_);
    p.end();
    canvas_ = grown;
    QWidget::resizeEvent(event);
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        pressed_ = true;
    QWidget::mousePressEvent(event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    const bool wasPressed = pressed_;
    pressed_ = false;
    if (wasPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}

PictureBox* PictureBox::cloneHidden() const
{
    auto* copy = new PictureBox(parentWidget());
    copy->hide();
    copy->setGeometry(geometry());
    copy->backColor_ = backColor_;
    copy->autoSize_ = autoSize_;
    copy->picture_ = picture_;
    copy->setToolTip(toolTip());
    copy->setCursor(cursor());
    copy->redrawCanvas();
    return copy;
}

// ----------------------------------------------------------------------- Label

Label::Label(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFocusPolicy(Qt::NoFocus);
    setBackTransparent();
}

void Label::setForeColor(const QColor& color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color);
    setPalette(pal);
}

void Label::setBackOpaque(const QColor& color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, color);
    setPalette(pal);
    setAutoFillBackground(true);
}

void Label::setBackTransparent()
{
    setAutoFillBackground(false);
}

Label* Label::cloneHidden() const
{
    auto* copy = new Label(parentWidget());
    copy->hide();
    copy->setGeometry(geometry());
    copy->setFont(font());
    copy->setPalette(palette());
    copy->setAutoFillBackground(autoFillBackground());
    copy->setAlignment(alignment());
    copy->setWordWrap(wordWrap());
    copy->setText(text());
    return copy;
}

// ------------------------------------------------------------------ FormWindow

FormWindow::FormWindow(std::function<void()> onUnload) : onUnload_(std::move(onUnload))
{
    setAttribute(Qt::WA_DeleteOnClose);
}

void FormWindow::closeEvent(QCloseEvent* event)
{
    if (onUnload_)
        onUnload_();
    event->accept();
}

// ----------------------------------------------------------------------- Timer

Timer::Timer(int intervalMs, QObject* parent) : QObject(parent)
{
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(true);
    timer_.setInterval(intervalMs);
    connect(&timer_, &QTimer::timeout, this, &Timer::tick);
}

void Timer::setEnabled(bool on)
{
    if (on == enabled_)
        return;
    enabled_ = on;
    if (on)
        timer_.start();
    else
        timer_.stop();
}

void Timer::setInterval(int ms)
{
    timer_.setInterval(ms);  // restarts the count of an armed timer
}

void Timer::tick()
{
    if (inTick_)
        return;  // enabled again inside its own handler: the tick after it counts
    inTick_ = true;
    emit timer();
    inTick_ = false;
    // The next tick counts from now. A timer enabled again during the handler
    // is already armed from that moment.
    if (enabled_ && !timer_.isActive())
        timer_.start();
}

// --------------------------------------------------------------------- windows

QFont songFont(int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL SungtiL GB"),
                      QStringLiteral("AR PL UMing TW"), QStringLiteral("Noto Serif CJK SC")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void setFixedSingleBorder(QWidget* window, int width, int height)
{
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window->setFixedSize(width, height);
}

void moveWindowTwips(QWidget* window, int leftTwips, int topTwips)
{
    window->move(platform::twipsToPixels(leftTwips), platform::twipsToPixels(topTwips));
}

}  // namespace vb

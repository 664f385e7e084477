// The help window: the aim and the rules of the game as one block of text.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "platform/controls.h"

class QWidget;

class Form3 : public QObject {
    Q_OBJECT
public:
    // `mainWindow` is enabled again whenever this window closes.
    explicit Form3(QWidget* mainWindow);
    ~Form3() override;

    // Gives the window its controls from the layout, runs Form_Load and shows
    // it as an ordinary window. A window already open is brought to the front.
    void Show();
    // Closes the window (as its close box does).
    void Close();
    bool isOpen() const { return !window_.isNull(); }
    QWidget* window() const { return window_; }

    // The help text, as the label shows it.
    static QString helpText();

    // ---- controls, while the window is open
    vb::Label* Label1 = nullptr;

    void Form_Load();
    void Form_Unload();

private:
    QWidget* mainWindow_;
    QPointer<QWidget> window_;
};

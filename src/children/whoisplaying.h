// The first window when the family has added children: "谁来玩？", who is
// playing. Each child's picture and name stand large on the game's meadow,
// with the visitor's star for another child; a click or tap on a picture, or
// its digit key (1 for the first child, and so on, 0 for another child),
// chooses who plays.
#pragma once

#include <QAbstractButton>
#include <QString>
#include <QWidget>

#include <vector>

namespace platform {
class KeyPreview;
}

namespace children {

// One child's picture and name, as a button.
class ChildCard : public QAbstractButton {
    Q_OBJECT
public:
    // `digit` is the key that chooses it, shown on a badge.
    ChildCard(const QString& name, const QString& animal, int digit, int pictureSize, QWidget* parent);

    QString animal() const { return animal_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString animal_;
    int digit_;
    int pictureSize_;
    bool hovered_ = false;
};

class WhoIsPlaying : public QWidget {
    Q_OBJECT
public:
    struct Child {
        QString name;
        QString animal;  // an assets::animals() id
    };
    // At most kMaxChildren children, in the order the family added them.
    static constexpr int kMaxChildren = 9;

    explicit WhoIsPlaying(std::vector<Child> children, QWidget* parent = nullptr);

    // The size of each picture, in logical pixels, for `children` children.
    static int pictureSize(int children);

    // The card of child `index` in the order given, or the visitor's for -1.
    ChildCard* card(int index) const;
    int childCount() const { return static_cast<int>(children_.size()); }

signals:
    // `index` in the order given, or -1 for another child.
    void chosen(int index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void choose(int index);

    std::vector<Child> children_;
    std::vector<ChildCard*> cards_;  // the children's, then the visitor's
    platform::KeyPreview* keys_ = nullptr;
};

}  // namespace children

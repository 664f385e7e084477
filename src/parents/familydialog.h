// "孩子和设置", opened from the parents' window once the parents' gate is
// passed: the children (their names, pictures and practice), adding and
// removing them, giving the games of no child to one of them, and the
// family's settings. Every change is written to the history file at once;
// the dialog then reads the family back from the file, as another copy of
// the game may have changed it meanwhile.
#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>

#include "history/family.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

namespace history {

class AnimalPicker;

class FamilyDialog : public QDialog {
    Q_OBJECT
public:
    // Over the history file at `path`, made if it is absent.
    explicit FamilyDialog(const QString& path, QWidget* parent = nullptr);
    ~FamilyDialog() override;

    // Whether anything was written, so that the window over the history
    // reads it again.
    bool changed() const { return changed_; }

private:
    void reload();
    // What a change that was not done says; the history's problem for
    // NotWritten.
    QString refusal(Change change, const QString& name) const;
    // After a change is done: `message` in the banner, the family read again.
    void done(const QString& message);
    // After one is not: `why` in the banner, the family read again.
    void failed(const QString& why);

    QWidget* childRow(const Child& child, QWidget* parent);
    void addChild();
    void rename(const Child& child);
    void changePicture(const Child& child);
    void remove(const Child& child);
    void give();

    const QString path_;
    FamilyWriter writer_;
    Family family_;
    bool changed_ = false;
    bool animalChosen_ = false;  // the new child's picture is the parents' choice

    QLabel* banner_ = nullptr;  // what the last change came to
    QVBoxLayout* rowsLayout_ = nullptr;
    QWidget* rows_ = nullptr;  // the children's rows, made anew on each reload
    QWidget* addPanel_ = nullptr;
    QLabel* fullNote_ = nullptr;
    QLineEdit* newName_ = nullptr;
    AnimalPicker* newAnimal_ = nullptr;
    QLabel* addRefusal_ = nullptr;
    QLabel* othersCount_ = nullptr;
    QWidget* givePanel_ = nullptr;
    QLabel* giveNote_ = nullptr;
    QComboBox* giveTo_ = nullptr;
    QRadioButton* giveAll_ = nullptr;
    QDateEdit* giveFrom_ = nullptr;
    QPushButton* giveButton_ = nullptr;
    QCheckBox* othersPractice_ = nullptr;
    QCheckBox* keypadAlways_ = nullptr;
};

}  // namespace history

#pragma once

#include <QString>
#include <QWidget>

// The small borderless window "开服后置参数" with two preset extra arguments. Picking a preset
// announces its text and closes the window; the caller decides where the text goes.
class ExtraArgsWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int Width = 650;
    static constexpr int Height = 350;

    // The texts the two presets put into the extra-arguments field.
    static QString compatibilityArguments(); // nukkit
    static QString utf8Arguments();          // utf_8

    explicit ExtraArgsWindow(QWidget* parent = nullptr);

signals:
    // A preset was picked; the window closes right after.
    void argumentsChosen(const QString& arguments);

private:
    void choose(const QString& arguments);
};

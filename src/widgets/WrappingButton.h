// A push button whose caption wraps onto several lines inside the button, like the main
// window's command buttons ("&Delete Selected Favorites" on two lines). The text and its
// access key stay those of a plain QPushButton.
#pragma once

#include <QPushButton>

class WrappingButton : public QPushButton {
    Q_OBJECT
public:
    explicit WrappingButton(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A Qt window for the placement rules: geometry in twips (15 per pixel), the border style
// from the window's "BorderStyle" property or its fixed size.
#pragma once

#include "services/WindowPlacement.h"

#include <QPointer>
#include <QWidget>

class QtWindowPlacement : public WindowPlacement {
public:
    static constexpr int kTwipsPerPixel = 15;

    explicit QtWindowPlacement(QWidget* window);

    std::string name() const override;
    int windowState() const override;
    void setWindowState(int state) override;
    // The window's dynamic property "BorderStyle" when set; else 1 (fixed single) for a window
    // whose minimum and maximum sizes are equal, 2 (sizable) otherwise.
    int borderStyle() const override;
    long top() const override;
    long left() const override;
    long height() const override;
    long width() const override;
    void setTop(long twips) override;
    void setLeft(long twips) override;
    void setHeight(long twips) override;
    void setWidth(long twips) override;
    long screenWidth() const override;
    long screenHeight() const override;

private:
    QWidget& window() const;
    QRect screenRect() const;

    QPointer<QWidget> window_;
};

// The placement operations for a Qt window.
void RestoreWindowPos(QWidget* window);
void SaveWindowPos(QWidget* window);

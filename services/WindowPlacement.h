// Remembering and restoring a window's state, position and size in the settings file, in the
// window's own section ("WindowState", "Top", "Left", "Height", "Width", all in twips).
#pragma once

#include <string>

// What the placement rules need of a window and its screen. All lengths are twips (15 to a
// pixel at 96 dpi). A setter may refuse by throwing; the restore then goes on.
class WindowPlacement {
public:
    enum State { Normal = 0, Minimized = 1, Maximized = 2 };

    virtual ~WindowPlacement() = default;
    virtual std::string name() const = 0;
    virtual int windowState() const = 0;
    virtual void setWindowState(int state) = 0;
    // 0 none, 1 fixed single, 2 sizable, 3 fixed dialog, 4 fixed tool window, 5 sizable tool window.
    virtual int borderStyle() const = 0;
    virtual long top() const = 0;
    virtual long left() const = 0;
    virtual long height() const = 0;
    virtual long width() const = 0;
    virtual void setTop(long twips) = 0;
    virtual void setLeft(long twips) = 0;
    virtual void setHeight(long twips) = 0;
    virtual void setWidth(long twips) = 0;
    virtual long screenWidth() const = 0;
    virtual long screenHeight() const = 0;

    bool isSizable() const { return borderStyle() == 2 || borderStyle() == 5; }
};

// Brings the window to what its section of the settings file (GetIniFileName) holds: maximised
// when "WindowState" is 2, else the stored position and size as far as they fit the screen.
// Never throws.
void RestoreWindowPos(WindowPlacement& window);
// Stores the window's state, and for a normal window its position (and size when sizable).
// A minimised window stores nothing.
void SaveWindowPos(WindowPlacement& window);

// Window placement rules over the settings file.
#include "services/WindowPlacement.h"

#include "platform/TextUtil.h"
#include "services/IniFile.h"

#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace {

// The leading number of a text ("." as decimal point), 0 when it has none.
double leadingNumber(const std::string& s)
{
    const std::string t = TrimLeft(s);
    size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        ++i;
    while (i < t.size() && (std::isdigit(static_cast<unsigned char>(t[i])) || t[i] == '.'))
        ++i;
    return std::atof(t.substr(0, i).c_str());
}

// The value of a text that is a number as a whole, blanks around it allowed.
std::optional<double> numericValue(const std::string& s)
{
    const std::string t = Trim(s);
    if (t.empty() || t.find_first_not_of("0123456789+-.eE") != std::string::npos)
        return std::nullopt;
    char* end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size())
        return std::nullopt;
    return v;
}

// Halves go to the even neighbour.
long roundEven(double v)
{
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    long r = std::lrint(v);
    std::fesetround(saved);
    return r;
}

template <typename F>
void attempt(F&& f)
{
    try {
        f();
    } catch (...) {
    }
}

} // namespace

void RestoreWindowPos(WindowPlacement& w)
{
    try {
        if (w.windowState() == WindowPlacement::Minimized)
            return;
    } catch (...) {
    }
    const std::string file = GetIniFileName();
    std::string section;
    attempt([&] { section = w.name(); });

    const std::string state = ReadIniValue(file, section, "WindowState", "");
    if (leadingNumber(state) == 2) {
        attempt([&] { w.setWindowState(WindowPlacement::Maximized); });
        return;
    }

    // A stored value that is missing takes the current one; one that is not a positive number
    // leaves 0, which puts the edge at the screen's border.
    auto stored = [&](const char* key, long current) {
        long v = 0;
        const std::string s = ReadIniValue(file, section, key, std::to_string(current));
        if (auto n = numericValue(s); n && *n > 0)
            v = roundEven(*n);
        return v;
    };
    long top = 0, left = 0, height = 0, width = 0;
    attempt([&] { top = stored("Top", w.top()); });
    attempt([&] { left = stored("Left", w.left()); });
    attempt([&] { height = stored("Height", w.height()); });
    attempt([&] { width = stored("Width", w.width()); });

    attempt([&] {
        if (top >= 0 && top < w.screenHeight())
            w.setTop(top);
    });
    attempt([&] {
        if (left >= 0 && left < w.screenWidth())
            w.setLeft(left);
    });
    bool sizable = false;
    attempt([&] { sizable = w.isSizable(); });
    if (!sizable)
        return;
    attempt([&] {
        if (height > 0 && w.top() + height <= w.screenHeight())
            w.setHeight(height);
    });
    // The width may reach 200 twips beyond the screen's right edge; the height may not.
    attempt([&] {
        if (width > 0 && w.left() + width <= w.screenWidth() + 200)
            w.setWidth(width);
    });
}

void SaveWindowPos(WindowPlacement& w)
{
    const int state = w.windowState();
    if (state == WindowPlacement::Minimized)
        return;
    const std::string file = GetIniFileName();
    const std::string section = w.name();
    WriteIniValue(file, section, "WindowState", std::to_string(state));
    if (state == WindowPlacement::Maximized)
        return;
    WriteIniValue(file, section, "Top", std::to_string(w.top()));
    WriteIniValue(file, section, "Left", std::to_string(w.left()));
    if (w.isSizable()) {
        WriteIniValue(file, section, "Height", std::to_string(w.height()));
        WriteIniValue(file, section, "Width", std::to_string(w.width()));
    }
}

#pragma once
// The main window's sizes and the arithmetic of its resize rules, kept apart
// from the widgets so the rules can be checked on their own.

namespace quillon::ui::layout {

inline constexpr int DesignWidth = 650;
inline constexpr int DesignHeight = 480;
inline constexpr int MinWidth = 496;  // carried by ShapeSize
inline constexpr int MinHeight = 276;
inline constexpr int BannerHeight = 81;
inline constexpr int StatusBarHeight = 19;
inline constexpr int WorkPanelWidth = 295;
inline constexpr int WorkPanelHeight = 120;
inline constexpr int TabCount = 3;
inline constexpr int StatusPanel0Width = 150;
inline constexpr int StatusPanel2Width = 160;
inline constexpr int StatusPanel3Width = 19;
inline constexpr int StatusPanel4Width = 25;
inline constexpr int NotCentred = -10000; // WindowTop and WindowLeft both at it: centre

// Width of each of the three tabs.
inline int tabWidth(int pageControlWidth) { return (pageControlWidth - TabCount * 5) / 3; }
// The work panel, kept centred in the client area (truncating toward zero).
inline int workPanelTop(int clientHeight) { return (clientHeight - WorkPanelHeight) / 2; }
inline int workPanelLeft(int clientWidth) { return (clientWidth - WorkPanelWidth) / 2; }
// Status panel 1 takes what the others leave of the window's outer width.
inline int statusPanel1Width(int windowWidth)
{
    return windowWidth - StatusPanel0Width - StatusPanel2Width - StatusPanel3Width - StatusPanel4Width;
}

struct Placement {
    int top;
    int left;
    int height;
    int width;
    bool centred;
};

// The start-up placement: the saved size and position, or, when both top and
// left are at NotCentred, centred on the screen.
inline Placement startPlacement(int top, int left, int height, int width, int screenHeight, int screenWidth)
{
    if (top == NotCentred && left == NotCentred)
        return { (screenHeight - height) / 2, (screenWidth - width) / 2, height, width, true };
    return { top, left, height, width, false };
}

} // namespace quillon::ui::layout

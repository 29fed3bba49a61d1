// Expected layout of the main palette window, typed by hand from the layout
// tables (never generated from resources/windows/MainClient.json), so that a
// slip in either the description or this table shows up as a mismatch.
//
// Units: canvas units for panel positions, panel units for key rectangles
// (before the panel's own scale). A tap at the centre of a key lands at
//   canvas = panel.pos + (key.pos + key.size * keyScale / 2) * panel.scale
// and on a W x H screen at canvas * (W / 1024, H / 720).
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace qd::test::mainwindow {

// Where a panel lies and which toggle shows it when it is the second page of
// its pair (empty for first pages, single panels and the root panel).
struct PanelPlace
{
    std::string_view name;
    double x, y;
    double sx, sy;
    std::string_view toggle;
};

inline constexpr PanelPlace kRoot{"Panel1", 0, 0, 1.0, 1.0, ""};
inline constexpr PanelPlace kKatavasi1{"PanelKatavasi1", 0, 410, 1.65, 1.65, ""};
inline constexpr PanelPlace kKatavasi2{"PanelKatavasi2", 0, 410, 1.65, 1.65, "enallagikatavasi"};
inline constexpr PanelPlace kLoipa{"PanelLoipa", 316, 410, 1.65, 1.65, ""};
inline constexpr PanelPlace kAnavasi1{"Panelanavasi1", 568, 410, 1.65, 1.65, ""};
inline constexpr PanelPlace kAnavasi2{"Panelanavasi2", 568, 410, 1.65, 1.65, "enallagianavasi"};
inline constexpr PanelPlace kGorgo{"Panelgorgo", -8, 260, 1.7, 1.7, ""};
inline constexpr PanelPlace kFthores{"Panelfthores", -14, 260, 1.7, 1.7, "enallagifthores"};
inline constexpr PanelPlace kMartyries1{"PanelMartyries1", 0, 174, 1.9, 1.7, ""};
inline constexpr PanelPlace kMartyries2{"PanelMartyries2", 0, 174, 1.9, 1.7, "enallagiMartyries"};
inline constexpr PanelPlace kDiastoles{"Paneldiastoles", 546, 170, 1.6, 1.7, ""};
inline constexpr PanelPlace kIson1{"PanelIson1", 270, 112, 1.9, 1.3, ""};
inline constexpr PanelPlace kIson2{"PanelIson2", 270, 112, 1.9, 1.3, "enallagiIson"};
inline constexpr PanelPlace kYfesi{"Panelyfesi", 330, 46, 1.75, 1.4, ""};
inline constexpr PanelPlace kXronikiAgogi1{"PanelxronikiAgogi1", 330, -20, 1.75, 1.3, ""};
inline constexpr PanelPlace kXronikiAgogi2{"PanelxronikiAgogi2", 330, -16, 1.75, 1.3, "enallagixronikiagogi"};
inline constexpr PanelPlace kPoiotitas1{"PanelPoiotitas1", 808, -30, 1.38, 1.32, ""};
inline constexpr PanelPlace kPoiotitas2{"PanelPoiotitas2", 808, -30, 1.38, 1.32, "CornerButton1"};

enum class Family { c3Click, ft8Click, m1Click, o5Click, o1Click };

constexpr std::string_view familyName(Family f)
{
    switch (f) {
    case Family::c3Click: return "c3Click";
    case Family::ft8Click: return "ft8Click";
    case Family::m1Click: return "m1Click";
    case Family::o5Click: return "o5Click";
    case Family::o1Click: return "o1Click";
    }
    return {};
}

// One control that sends a command word. keyScale is the control's own scale
// (only the check box has one).
struct ExpectedKey
{
    std::string_view word;
    const PanelPlace *panel;
    int x, y, w, h;
    Family family;
    double keyScale = 1.0;

    constexpr std::string_view panelName() const { return panel->name; }
    // The toggle to tap first so that the key's panel is shown; empty when
    // the panel is visible at start.
    constexpr std::string_view showFirst() const { return panel->toggle; }
};

using enum Family;

inline constexpr ExpectedKey kExpectedMainKeys[] = {
    // PanelKatavasi1: 41 x 41, columns 8 56 100 144, rows 24 64 104 144
    {"c4", &kKatavasi1, 8, 24, 41, 41, c3Click},
    {"c3", &kKatavasi1, 56, 24, 41, 41, c3Click},
    {"c2", &kKatavasi1, 100, 24, 41, 41, c3Click},
    {"c1", &kKatavasi1, 144, 24, 41, 41, c3Click},
    {"c12", &kKatavasi1, 8, 64, 41, 41, c3Click},
    {"c11", &kKatavasi1, 56, 64, 41, 41, c3Click},
    {"c10", &kKatavasi1, 100, 64, 41, 41, c3Click},
    {"c9", &kKatavasi1, 144, 64, 41, 41, c3Click},
    {"c8", &kKatavasi1, 8, 104, 41, 41, c3Click},
    {"c7", &kKatavasi1, 56, 104, 41, 41, c3Click},
    {"c6", &kKatavasi1, 100, 104, 41, 41, c3Click},
    {"c5", &kKatavasi1, 144, 104, 41, 41, c3Click},
    {"f2", &kKatavasi1, 8, 144, 41, 41, c3Click},
    {"c17", &kKatavasi1, 56, 144, 41, 41, c3Click},
    {"c14", &kKatavasi1, 100, 144, 41, 41, c3Click},
    {"c13", &kKatavasi1, 144, 144, 41, 41, c3Click},

    // PanelKatavasi2: 41 x 41, columns 8 54 100 146 (d4 at 98)
    {"e12", &kKatavasi2, 8, 24, 41, 41, c3Click},
    {"e13", &kKatavasi2, 54, 24, 41, 41, c3Click},
    {"e11", &kKatavasi2, 100, 24, 41, 41, c3Click},
    {"e9", &kKatavasi2, 146, 24, 41, 41, c3Click},
    {"d6", &kKatavasi2, 8, 64, 41, 41, c3Click},
    {"d5", &kKatavasi2, 54, 64, 41, 41, c3Click},
    {"d4", &kKatavasi2, 98, 64, 41, 41, c3Click},
    {"d3", &kKatavasi2, 146, 64, 41, 41, c3Click},
    {"d9", &kKatavasi2, 8, 104, 41, 41, c3Click},
    {"d7", &kKatavasi2, 54, 104, 41, 41, c3Click},
    {"d8", &kKatavasi2, 100, 104, 41, 41, c3Click},
    {"d2", &kKatavasi2, 146, 104, 41, 41, c3Click},
    {"d11", &kKatavasi2, 8, 144, 41, 41, c3Click},
    {"d10", &kKatavasi2, 54, 144, 41, 41, c3Click},
    {"d1", &kKatavasi2, 100, 144, 41, 41, c3Click},
    {"d12", &kKatavasi2, 146, 144, 41, 41, c3Click},

    // PanelLoipa: 41 x 41, columns 8 56 102
    {"e1", &kLoipa, 8, 24, 41, 41, c3Click},
    {"e2", &kLoipa, 56, 24, 41, 41, c3Click},
    {"e5", &kLoipa, 102, 24, 41, 41, c3Click},
    {"e10", &kLoipa, 8, 64, 41, 41, c3Click},
    {"e4", &kLoipa, 56, 64, 41, 41, c3Click},
    {"e7", &kLoipa, 102, 64, 41, 41, c3Click},
    {"f1", &kLoipa, 8, 104, 41, 41, c3Click},
    {"e3", &kLoipa, 56, 104, 41, 41, c3Click},
    {"e6", &kLoipa, 102, 104, 41, 41, c3Click},
    {"f5", &kLoipa, 8, 144, 41, 41, c3Click},
    {"f4", &kLoipa, 56, 144, 41, 41, c3Click},
    {"e8", &kLoipa, 102, 144, 41, 41, c3Click},

    // Panelanavasi1: 41 x 42, columns 8 54 96 140 182 228, rows 24 62 102 142
    {"a1", &kAnavasi1, 8, 24, 41, 42, c3Click},
    {"a6", &kAnavasi1, 54, 24, 41, 42, c3Click},
    {"a7", &kAnavasi1, 96, 24, 41, 42, c3Click},
    {"a15", &kAnavasi1, 140, 24, 41, 42, c3Click},
    {"a19", &kAnavasi1, 182, 24, 41, 42, c3Click},
    {"a17", &kAnavasi1, 228, 24, 41, 42, c3Click},
    {"a8", &kAnavasi1, 8, 62, 41, 42, c3Click},
    {"a9", &kAnavasi1, 54, 62, 41, 42, c3Click},
    {"a3", &kAnavasi1, 96, 62, 41, 42, c3Click},
    {"a4", &kAnavasi1, 140, 62, 41, 42, c3Click},
    {"a20", &kAnavasi1, 182, 62, 41, 42, c3Click},
    {"a18", &kAnavasi1, 228, 62, 41, 42, c3Click},
    {"a2", &kAnavasi1, 8, 102, 41, 42, c3Click},
    {"a5", &kAnavasi1, 54, 102, 41, 42, c3Click},
    {"a16", &kAnavasi1, 96, 102, 41, 42, c3Click},
    {"b1", &kAnavasi1, 140, 102, 41, 42, c3Click},
    {"b5", &kAnavasi1, 182, 102, 41, 42, c3Click},
    {"b3", &kAnavasi1, 228, 102, 41, 42, c3Click},
    {"a12", &kAnavasi1, 8, 142, 41, 42, c3Click},
    {"a13", &kAnavasi1, 54, 142, 41, 42, c3Click},
    {"a14", &kAnavasi1, 96, 142, 41, 42, c3Click},
    {"b2", &kAnavasi1, 140, 142, 41, 42, c3Click},
    {"b6", &kAnavasi1, 182, 142, 41, 42, c3Click},
    {"b4", &kAnavasi1, 228, 142, 41, 42, c3Click},

    // Panelanavasi2: 41 x 42, same grid (b7 at 10), three rows
    {"b7", &kAnavasi2, 10, 24, 41, 42, c3Click},
    {"b12", &kAnavasi2, 54, 24, 41, 42, c3Click},
    {"b14", &kAnavasi2, 96, 24, 41, 42, c3Click},
    {"b9", &kAnavasi2, 140, 24, 41, 42, c3Click},
    {"b16", &kAnavasi2, 182, 24, 41, 42, c3Click},
    {"b20", &kAnavasi2, 228, 24, 41, 42, c3Click},
    {"b8", &kAnavasi2, 8, 62, 41, 42, c3Click},
    {"b15", &kAnavasi2, 54, 62, 41, 42, c3Click},
    {"b13", &kAnavasi2, 96, 62, 41, 42, c3Click},
    {"b10", &kAnavasi2, 140, 62, 41, 42, c3Click},
    {"b17", &kAnavasi2, 182, 62, 41, 42, c3Click},
    {"b11", &kAnavasi2, 228, 62, 41, 42, c3Click},
    {"b19", &kAnavasi2, 182, 102, 41, 42, c3Click},
    {"b18", &kAnavasi2, 228, 102, 41, 42, c3Click},

    // Panelgorgo: 41 x 37, columns 10 54 100 146 190 238 284 328 374 420 466 510 558
    // (xr11 at 464, xr14 at 556), rows 16 52
    {"kar6", &kGorgo, 10, 16, 41, 37, c3Click},
    {"xr24", &kGorgo, 54, 16, 41, 37, c3Click},
    {"xr22", &kGorgo, 100, 16, 41, 37, c3Click},
    {"xr20", &kGorgo, 146, 16, 41, 37, c3Click},
    {"xr18", &kGorgo, 190, 16, 41, 37, c3Click},
    {"xr19", &kGorgo, 238, 16, 41, 37, c3Click},
    {"xr16", &kGorgo, 284, 16, 41, 37, c3Click},
    {"xr4", &kGorgo, 328, 16, 41, 37, c3Click},
    {"xr3", &kGorgo, 374, 16, 41, 37, c3Click},
    {"xr10", &kGorgo, 420, 16, 41, 37, c3Click},
    {"xr6", &kGorgo, 466, 16, 41, 37, c3Click},
    {"xr7", &kGorgo, 510, 16, 41, 37, c3Click},
    {"xr8", &kGorgo, 558, 16, 41, 37, c3Click},
    {"kar5", &kGorgo, 10, 52, 41, 37, c3Click},
    {"kar7", &kGorgo, 54, 52, 41, 37, c3Click},
    {"xr21", &kGorgo, 100, 52, 41, 37, c3Click},
    {"xr17", &kGorgo, 146, 52, 41, 37, c3Click},
    {"xr15", &kGorgo, 190, 52, 41, 37, c3Click},
    {"xr13", &kGorgo, 238, 52, 41, 37, c3Click},
    {"xr5", &kGorgo, 284, 52, 41, 37, c3Click},
    {"xr1", &kGorgo, 328, 52, 41, 37, c3Click},
    {"xr2", &kGorgo, 374, 52, 41, 37, c3Click},
    {"xr9", &kGorgo, 420, 52, 41, 37, c3Click},
    {"xr11", &kGorgo, 464, 52, 41, 37, c3Click},
    {"xr12", &kGorgo, 510, 52, 41, 37, c3Click},
    {"xr14", &kGorgo, 556, 52, 41, 37, c3Click},

    // Panelfthores: 50 x 37, columns 10 62 116 170 224 276 330 386 440 494 548
    // (ft2 at 64, ft9 at 222), rows 16 52
    {"ft8", &kFthores, 10, 16, 50, 37, ft8Click},
    {"ft7", &kFthores, 62, 16, 50, 37, ft8Click},
    {"ft6", &kFthores, 116, 16, 50, 37, ft8Click},
    {"ft5", &kFthores, 170, 16, 50, 37, ft8Click},
    {"ft13", &kFthores, 224, 16, 50, 37, ft8Click},
    {"ft14", &kFthores, 276, 16, 50, 37, ft8Click},
    {"ft15", &kFthores, 330, 16, 50, 37, ft8Click},
    {"ft16", &kFthores, 386, 16, 50, 37, ft8Click},
    {"ft19", &kFthores, 440, 16, 50, 37, ft8Click},
    {"ft20", &kFthores, 494, 16, 50, 37, ft8Click},
    {"ft1", &kFthores, 10, 52, 50, 37, ft8Click},
    {"ft2", &kFthores, 64, 52, 50, 37, ft8Click},
    {"ft3", &kFthores, 116, 52, 50, 37, ft8Click},
    {"ft4", &kFthores, 170, 52, 50, 37, ft8Click},
    {"ft9", &kFthores, 222, 52, 50, 37, ft8Click},
    {"ft10", &kFthores, 276, 52, 50, 37, ft8Click},
    {"ft11", &kFthores, 330, 52, 50, 37, ft8Click},
    {"ft12", &kFthores, 386, 52, 50, 37, ft8Click},
    {"ft17", &kFthores, 440, 52, 50, 37, ft8Click},
    {"ft18", &kFthores, 494, 52, 50, 37, ft8Click},
    {"ft21", &kFthores, 548, 52, 50, 37, ft8Click},

    // PanelMartyries1: 33 x 42 (m2 35 wide), row at 16
    {"m1", &kMartyries1, 6, 16, 33, 42, m1Click},
    {"m2", &kMartyries1, 40, 16, 35, 42, m1Click},
    {"m3", &kMartyries1, 76, 16, 33, 42, m1Click},
    {"m4", &kMartyries1, 110, 16, 33, 42, m1Click},
    {"m5", &kMartyries1, 144, 16, 33, 42, m1Click},
    {"m6", &kMartyries1, 180, 16, 33, 42, m1Click},
    {"m7", &kMartyries1, 214, 16, 33, 42, m1Click},
    {"m8", &kMartyries1, 250, 16, 33, 42, o5Click},

    // PanelMartyries2: 31 x 42 (o1, o2 29 wide; o7 35 wide), row at 16
    {"o1", &kMartyries2, 4, 16, 29, 42, o1Click},
    {"o2", &kMartyries2, 34, 16, 29, 42, o1Click},
    {"o3", &kMartyries2, 64, 16, 31, 42, o1Click},
    {"o4", &kMartyries2, 94, 16, 31, 42, o1Click},
    {"o5", &kMartyries2, 124, 16, 31, 42, o5Click},
    {"o6", &kMartyries2, 154, 16, 31, 42, o1Click},
    {"o7", &kMartyries2, 184, 16, 35, 42, o1Click},
    {"o8", &kMartyries2, 220, 16, 31, 42, o1Click},
    {"o9", &kMartyries2, 252, 16, 31, 42, o1Click},

    // Paneldiastoles: 31 x 39 (di4 30 wide, di5 33 wide), row at 18
    {"di4", &kDiastoles, 2, 18, 30, 39, c3Click},
    {"di3", &kDiastoles, 34, 18, 31, 39, c3Click},
    {"di2", &kDiastoles, 66, 18, 31, 39, c3Click},
    {"di1", &kDiastoles, 98, 18, 31, 39, c3Click},
    {"di5", &kDiastoles, 130, 18, 33, 39, c3Click},

    // PanelIson1: segmented bar, 35 x 42, row at 18
    {"k1", &kIson1, 2, 18, 35, 42, c3Click},
    {"k2", &kIson1, 37, 18, 35, 42, c3Click},
    {"k3", &kIson1, 72, 18, 35, 42, c3Click},
    {"k4", &kIson1, 107, 18, 35, 42, c3Click},
    {"k5", &kIson1, 142, 18, 35, 42, c3Click},
    {"k6", &kIson1, 177, 18, 35, 42, c3Click},
    {"k7", &kIson1, 212, 18, 35, 42, c3Click},
    {"k8", &kIson1, 246, 18, 35, 42, c3Click},

    // PanelIson2: 45 x 42 (l1 43 wide), l3 two units lower
    {"l1", &kIson2, 12, 16, 43, 42, c3Click},
    {"l2", &kIson2, 58, 16, 45, 42, c3Click},
    {"l3", &kIson2, 106, 18, 45, 42, c3Click},

    // Panelyfesi: 41 x 42, row at 16
    {"sa1", &kYfesi, 6, 16, 41, 42, c3Click},
    {"sa2", &kYfesi, 49, 16, 41, 42, c3Click},
    {"sa3", &kYfesi, 94, 16, 41, 42, c3Click},
    {"sa4", &kYfesi, 138, 16, 41, 42, c3Click},
    {"sa5", &kYfesi, 182, 16, 41, 42, c3Click},
    {"sa6", &kYfesi, 224, 16, 41, 42, c3Click},

    // PanelxronikiAgogi1: 35 x 42 (x8 43 high), row at 20
    {"x8", &kXronikiAgogi1, 6, 20, 35, 43, c3Click},
    {"x9", &kXronikiAgogi1, 44, 20, 35, 42, c3Click},
    {"x10", &kXronikiAgogi1, 82, 20, 35, 42, c3Click},
    {"x11", &kXronikiAgogi1, 118, 20, 35, 42, c3Click},
    {"x12", &kXronikiAgogi1, 156, 20, 35, 42, c3Click},
    {"x13", &kXronikiAgogi1, 192, 20, 35, 42, c3Click},
    {"x14", &kXronikiAgogi1, 230, 20, 35, 42, c3Click},

    // PanelxronikiAgogi2: 35 x 42 (x1 43 high), row at 16
    {"x1", &kXronikiAgogi2, 6, 16, 35, 43, c3Click},
    {"x2", &kXronikiAgogi2, 44, 16, 35, 42, c3Click},
    {"x3", &kXronikiAgogi2, 82, 16, 35, 42, c3Click},
    {"x4", &kXronikiAgogi2, 118, 16, 35, 42, c3Click},
    {"x5", &kXronikiAgogi2, 156, 16, 35, 42, c3Click},
    {"x6", &kXronikiAgogi2, 192, 16, 35, 42, c3Click},
    {"x7", &kXronikiAgogi2, 230, 16, 35, 42, c3Click},

    // PanelPoiotitas1: keys sized to their tiles
    {"g4", &kPoiotitas1, 8, 26, 53, 35, c3Click},
    {"g5", &kPoiotitas1, 62, 26, 43, 34, c3Click},
    {"g6", &kPoiotitas1, 106, 26, 41, 34, c3Click},
    {"g15", &kPoiotitas1, 8, 64, 47, 35, c3Click},
    {"g16", &kPoiotitas1, 56, 64, 43, 35, c3Click},
    {"g17", &kPoiotitas1, 104, 64, 41, 35, c3Click},
    {"g1", &kPoiotitas1, 8, 102, 65, 35, c3Click},
    {"g2", &kPoiotitas1, 82, 102, 63, 35, c3Click},
    {"g7", &kPoiotitas1, 10, 140, 67, 37, c3Click},
    {"g8", &kPoiotitas1, 84, 140, 63, 37, c3Click},
    {"g9", &kPoiotitas1, 8, 180, 65, 35, c3Click},
    {"g11", &kPoiotitas1, 84, 180, 65, 35, c3Click},

    // PanelPoiotitas2
    {"g13", &kPoiotitas2, 8, 24, 53, 34, c3Click},
    {"g19", &kPoiotitas2, 62, 24, 43, 34, c3Click},
    {"g14", &kPoiotitas2, 104, 24, 41, 34, c3Click},
    {"g20", &kPoiotitas2, 8, 64, 47, 25, c3Click},
    {"g21", &kPoiotitas2, 54, 64, 51, 25, c3Click},
    {"g24", &kPoiotitas2, 104, 64, 43, 25, c3Click},
    {"g22", &kPoiotitas2, 8, 96, 41, 34, c3Click},
    {"g23", &kPoiotitas2, 54, 96, 37, 34, c3Click},
    {"g3", &kPoiotitas2, 94, 96, 51, 33, c3Click},
    {"g18", &kPoiotitas2, 8, 136, 67, 35, c3Click},
    {"g25", &kPoiotitas2, 84, 136, 63, 35, c3Click},
    {"g10", &kPoiotitas2, 8, 176, 65, 37, c3Click},
    {"g12", &kPoiotitas2, 84, 176, 65, 37, c3Click},

    // Tool grid palette keys and the check box, straight on the root panel
    {"SpeedButton15", &kRoot, 69, 4, 60, 48, c3Click},
    {"SpeedButton14", &kRoot, 71, 54, 60, 48, c3Click},
    {"SpeedButton35", &kRoot, 140, 54, 55, 48, c3Click},
    {"n5", &kRoot, 71, 103, 60, 48, c3Click},
    {"SpeedButton25", &kRoot, 138, 104, 59, 43, c3Click},
    {"SpeedButton31", &kRoot, 202, 104, 59, 43, c3Click},
    {"CheckBox1", &kRoot, 154, 158, 69, 27, c3Click, 1.5},
};

static_assert(std::size(kExpectedMainKeys) == 214, "the main window sends 214 command words");

// The palette panels as placed on the canvas, with their picture.
struct ExpectedPanel
{
    std::string_view name;
    int x, y, w, h;
    double sx, sy;
    bool visible;
    std::string_view look; // empty: the plain panel look
    std::string_view art;  // empty: no picture
    int px, py, pw, ph;    // picture rectangle in panel units
    int keyCount;
};

inline constexpr ExpectedPanel kExpectedPanels[] = {
    {"PanelKatavasi1", 0, 410, 193, 193, 1.65, 1.65, true, "calloutpanelstyle", "katavasi1", 8, 24, 180, 160, 16},
    {"PanelKatavasi2", 0, 410, 193, 193, 1.65, 1.65, false, "calloutpanelstyle", "katavasi2", 8, 24, 180, 160, 16},
    {"PanelLoipa", 316, 410, 153, 193, 1.65, 1.65, true, "calloutpanelstyle", "loipa", 8, 24, 136, 160, 12},
    {"Panelanavasi1", 568, 410, 273, 193, 1.65, 1.65, true, "calloutpanelstyle", "anavasi1", 8, 24, 264, 160, 24},
    {"Panelanavasi2", 568, 410, 273, 193, 1.65, 1.65, false, "calloutpanelstyle", "anavasi2", 8, 24, 264, 160, 14},
    {"Panelgorgo", -8, 260, 605, 93, 1.7, 1.7, true, "calloutpanelstyle", "gorgo", 8, 18, 592, 70, 26},
    {"Panelfthores", -14, 260, 609, 93, 1.7, 1.7, false, "calloutpanelstyle", "fthores", 8, 18, 592, 70, 21},
    {"PanelMartyries1", 0, 174, 287, 62, 1.9, 1.7, true, "", "martyries1", 4, 14, 281, 45, 8},
    {"PanelMartyries2", 0, 174, 287, 62, 1.9, 1.7, false, "", "martyries2", 2, 14, 282, 43, 9},
    {"Paneldiastoles", 546, 170, 165, 65, 1.6, 1.7, true, "calloutpanelstyle", "diastoles", 2, 18, 161, 41, 5},
    {"PanelIson1", 270, 112, 287, 61, 1.9, 1.3, true, "calloutpanelstyle", "", 0, 0, 0, 0, 8},
    {"PanelIson2", 270, 112, 287, 65, 1.9, 1.3, false, "calloutpanelstyle", "ison2", 8, 16, 143, 45, 3},
    {"Panelyfesi", 330, 46, 273, 61, 1.75, 1.4, true, "calloutpanelstyle", "yfesi", 4, 16, 265, 41, 6},
    {"PanelxronikiAgogi1", 330, -20, 273, 65, 1.75, 1.3, true, "calloutpanelstyle", "xronikiagogi1", 6, 18, 261, 47, 7},
    {"PanelxronikiAgogi2", 330, -16, 273, 65, 1.75, 1.3, false, "calloutpanelstyle", "xronikiagogi2", 6, 14, 261, 47,
     7},
    {"PanelPoiotitas1", 808, -30, 153, 225, 1.38, 1.32, true, "calloutpanelstyle", "poiotitas1", 8, 24, 141, 191, 12},
    {"PanelPoiotitas2", 808, -30, 153, 225, 1.38, 1.32, false, "calloutpanelstyle", "poiotitas2", 8, 24, 141, 191, 13},
};

static_assert(std::size(kExpectedPanels) == 17, "seventeen palette panels");

// Root controls that are not palette panels or palette keys: the tool grid
// picture, navigation buttons, indicator, page toggles.
struct ExpectedControl
{
    std::string_view name;
    std::string_view kind;
    int x, y, w, h;
    double scale;
    std::string_view handler;
    std::string_view look;
    std::string_view caption;
};

inline constexpr ExpectedControl kExpectedRootControls[] = {
    {"Image17", "picture", 0, 0, 269, 153, 1.0, "", "", ""},
    {"rythmiseisshow", "key", 8, 4, 58, 48, 1.0, "rythmiseisshowClick", "transparentcirclebuttonstyle", ""},
    {"con_SpeedButton", "key", 139, 4, 48, 48, 1.0, "con_SpeedButtonClick", "transparentcirclebuttonstyle", ""},
    {"off", "key", 202, 3, 62, 48, 1.0, "offClick", "transparentcirclebuttonstyle", ""},
    {"martyriesshow", "key", 8, 54, 58, 48, 1.0, "martyriesshowClick", "transparentcirclebuttonstyle", ""},
    {"SpeedButton2", "key", 202, 54, 62, 48, 1.0, "SpeedButton2Click", "transparentcirclebuttonstyle", ""},
    {"diaforashow", "key", 6, 103, 58, 48, 1.0, "diaforashowClick", "transparentcirclebuttonstyle", ""},
    {"enallagikatavasi", "button", 0, 410, 241, 31, 1.3, "enallagikatavasiClick", "pushbutton", "......"},
    {"enallagifthores", "button", 316, 410, 193, 31, 1.3, "enallagifthoresClick", "pushbutton", "......"},
    {"enallagianavasi", "button", 566, 410, 349, 31, 1.3, "enallagianavasiClick", "pushbutton", "......"},
    {"CornerButton1", "button", 810, 254, 159, 27, 1.3, "CornerButton1Click", "pushbutton", "......"},
    {"enallagiMartyries", "button", 2, 156, 113, 33, 1.3, "enallagiMartyriesClick", "pushbutton", "......"},
    {"enallagiIson", "button", 270, 68, 55, 49, 1.3, "enallagiIsonClick", "pushbutton", "......"},
    {"enallagixronikiagogi", "button", 272, 2, 53, 49, 1.3, "enallagixronikiagogiClick", "pushbutton", "......"},
};

// Children of the root panel, bottom to top.
inline constexpr std::string_view kRootStacking[] = {
    "Image17",
    "PanelPoiotitas2",
    "Panelfthores",
    "Panelgorgo",
    "Paneldiastoles",
    "PanelMartyries2",
    "PanelMartyries1",
    "PanelIson2",
    "PanelIson1",
    "Panelyfesi",
    "Panelanavasi2",
    "Panelanavasi1",
    "PanelKatavasi2",
    "PanelxronikiAgogi2",
    "con_SpeedButton",
    "diaforashow",
    "enallagianavasi",
    "enallagiIson",
    "enallagiMartyries",
    "martyriesshow",
    "n5",
    "PanelKatavasi1",
    "PanelLoipa",
    "PanelPoiotitas1",
    "PanelxronikiAgogi1",
    "rythmiseisshow",
    "SpeedButton14",
    "SpeedButton15",
    "SpeedButton2",
    "SpeedButton25",
    "SpeedButton31",
    "SpeedButton35",
    "CornerButton1",
    "enallagifthores",
    "enallagikatavasi",
    "enallagixronikiagogi",
    "CheckBox1",
    "off",
};

static_assert(std::size(kRootStacking) == 38);

// Which numbers each sign-family prefix uses on which panel.
struct PrefixNumbers
{
    std::string_view prefix;
    std::string_view panel;
    std::string_view numbers; // comma-separated numbers and ranges "a-b"
    int count;
};

inline constexpr PrefixNumbers kPrefixNumbers[] = {
    {"a", "Panelanavasi1", "1-9,12-20", 18},
    {"b", "Panelanavasi1", "1-6", 6},
    {"b", "Panelanavasi2", "7-20", 14},
    {"c", "PanelKatavasi1", "1-14,17", 15},
    {"d", "PanelKatavasi2", "1-12", 12},
    {"di", "Paneldiastoles", "1-5", 5},
    {"e", "PanelKatavasi2", "9,11-13", 4},
    {"e", "PanelLoipa", "1-8,10", 9},
    {"f", "PanelKatavasi1", "2", 1},
    {"f", "PanelLoipa", "1,4,5", 3},
    {"ft", "Panelfthores", "1-21", 21},
    {"g", "PanelPoiotitas1", "1,2,4-9,11,15-17", 12},
    {"g", "PanelPoiotitas2", "3,10,12-14,18-25", 13},
    {"k", "PanelIson1", "1-8", 8},
    {"kar", "Panelgorgo", "5-7", 3},
    {"l", "PanelIson2", "1-3", 3},
    {"m", "PanelMartyries1", "1-8", 8},
    {"o", "PanelMartyries2", "1-9", 9},
    {"sa", "Panelyfesi", "1-6", 6},
    {"x", "PanelxronikiAgogi1", "8-14", 7},
    {"x", "PanelxronikiAgogi2", "1-7", 7},
    {"xr", "Panelgorgo", "1-22,24", 23},
};

constexpr int prefixTotal()
{
    int n = 0;
    for (const auto &p : kPrefixNumbers)
        n += p.count;
    return n;
}
static_assert(prefixTotal() == 207, "207 keys on the palette panels");

constexpr int panelKeyTotal()
{
    int n = 0;
    for (const auto &p : kExpectedPanels)
        n += p.keyCount;
    return n;
}
static_assert(panelKeyTotal() == 207);

// The seven page pairs: first page, second page, the toggle that flips them.
struct PagePair
{
    std::string_view first;
    std::string_view second;
    std::string_view toggle;
};

inline constexpr PagePair kPagePairs[] = {
    {"PanelKatavasi1", "PanelKatavasi2", "enallagikatavasi"},
    {"Panelanavasi1", "Panelanavasi2", "enallagianavasi"},
    {"PanelPoiotitas1", "PanelPoiotitas2", "CornerButton1"},
    {"PanelIson1", "PanelIson2", "enallagiIson"},
    {"Panelgorgo", "Panelfthores", "enallagifthores"},
    {"PanelxronikiAgogi1", "PanelxronikiAgogi2", "enallagixronikiagogi"},
    {"PanelMartyries1", "PanelMartyries2", "enallagiMartyries"},
};

// Cross-checks of the hand-typed tables against each other.
constexpr bool wordsUnique()
{
    for (std::size_t i = 0; i < std::size(kExpectedMainKeys); ++i)
        for (std::size_t j = i + 1; j < std::size(kExpectedMainKeys); ++j)
            if (kExpectedMainKeys[i].word == kExpectedMainKeys[j].word)
                return false;
    return true;
}
static_assert(wordsUnique(), "command words are unique within the window");

constexpr bool keyCountsMatchPanels()
{
    for (const auto &panel : kExpectedPanels) {
        int n = 0;
        for (const auto &key : kExpectedMainKeys)
            n += key.panelName() == panel.name ? 1 : 0;
        if (n != panel.keyCount)
            return false;
    }
    return true;
}
static_assert(keyCountsMatchPanels());

constexpr int familyCount(Family f)
{
    int n = 0;
    for (const auto &key : kExpectedMainKeys)
        n += key.family == f ? 1 : 0;
    return n;
}
static_assert(familyCount(c3Click) == 176);
static_assert(familyCount(ft8Click) == 21);
static_assert(familyCount(m1Click) == 7);
static_assert(familyCount(o5Click) == 2);
static_assert(familyCount(o1Click) == 8);

constexpr bool togglesMatchPairs()
{
    for (const auto &key : kExpectedMainKeys) {
        bool ok = key.showFirst().empty();
        for (const auto &pair : kPagePairs)
            if (pair.second == key.panelName())
                ok = key.showFirst() == pair.toggle;
        if (!ok)
            return false;
    }
    return true;
}
static_assert(togglesMatchPairs());

// Captions of the ison letter keys; every other key shows none.
struct ExpectedCaption
{
    std::string_view word;
    std::string_view caption;
};

inline constexpr ExpectedCaption kIsonCaptions[] = {
    {"k1", "(Ν)"}, {"k2", "(Π)"}, {"k3", "(Β)"}, {"k4", "(Γ)"},
    {"k5", "(Δ)"}, {"k6", "(Κ)"}, {"k7", "(Ζ)"}, {"k8", "(Μ)"},
};

} // namespace qd::test::mainwindow

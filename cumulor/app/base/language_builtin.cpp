#include "cumulor/app/base/language_builtin.h"

namespace cumulor::detail {

const BuiltinText kBuiltinEnglish[] = {
    // Menu button captions.
    {1, u"Settings"}, {2, u"Task"}, {3, u"Final Glide"}, {4, u"3D Wind"}, {5, u"Exit"}, {6, u"Mark Pos"},
    {7, u"Settings2"}, {8, u"Airspace"}, {9, u"Fonts"}, {10, u"Rules"}, {11, u"NAV Box"}, {12, u"Units"},
    {13, u"Edit"}, {14, u"Reset"}, {15, u""}, {16, u"More..."}, {17, u"About"}, {18, u"VL Dcl"},
    {19, u"VL Lgs"}, {20, u"Logger"}, {21, u"Stats"}, {22, u"Team"}, {23, u"RUN"}, {24, u"To302"},
    {25, u"Labels"}, {26, u"Page 1"}, {27, u"Page 2"}, {28, u"Page 3"}, {29, u"Files"}, {30, u"Polar"},
    {31, u"Flight Plan"}, {32, u"COM port"}, {33, u"Trace"}, {34, u"Waypoints"}, {35, u"Map"}, {36, u"HSI"},
    {37, u"User Airsp"}, {38, u"Config"}, {39, u"LX Decl"}, {40, u"Thermals"}, {41, u"1 CMax"},
    {42, u"1 Labels"}, {43, u"1 Map"}, {44, u"1 Term"}, {45, u"1 Team"}, {46, u"2 Team"}, {47, u"3 Team"},
    {48, u"Symbols"}, {49, u"Export"}, {50, u"Touch"}, {51, u"Position"}, {52, u"OLC"}, {53, u"LX Logs"},
    {54, u"Language"}, {55, u"Go To"}, {56, u"Profiles"}, {57, u"1 Prof"}, {58, u"2 Prof"}, {59, u"3 Prof"},
    {60, u"LX1600-1"}, {61, u"LX1600-2"}, {62, u"FLARM"},
    // Navigation-box captions, long and short form in pairs.
    {100, u"TP Arrow"}, {101, u"TP"}, {102, u"TP Distance"}, {103, u"DIST"}, {104, u"Arrival Altitude agl"},
    {105, u"Arrival"}, {106, u"Track"}, {107, u"TRK"}, {108, u"Bearing"}, {109, u"BRG"},
    {110, u"Avg 20 sec"}, {111, u"Avg20"}, {112, u"Avg Thermal"}, {113, u"AvgT"}, {114, u"Avg All"},
    {115, u"AvgAll"}, {116, u"Wind"}, {117, u"Wind"}, {118, u"XT Error"}, {119, u"XTError"},
    {120, u"Ground Speed"}, {121, u"GS"}, {122, u"L/D"}, {123, u"L/D"}, {124, u"Altitude QNH [meters]"},
    {125, u"QNH m"}, {126, u"Time"}, {127, u"Time"}, {128, u"Time Left"}, {129, u"TLeft"},
    {130, u"Ground Level"}, {131, u"Ground"}, {132, u"AGL Altitude"}, {133, u"AGL"}, {134, u"Leg Speed"},
    {135, u"VLeg"}, {136, u"Task Speed"}, {137, u"VTask"}, {138, u"OLC"}, {139, u"OLC"},
    {140, u"Start Task Button"}, {141, u"Start"}, {142, u"Team Grid"}, {143, u"Grid"},
    {144, u"ETA to Final Dest"}, {145, u"ETA"}, {146, u"ETA to Next Wpt"}, {147, u"ETANxt"},
    {148, u"ETE to Final Dest"}, {149, u"ETE"}, {150, u"ETE to Next Wpt"}, {151, u"ETENxt"},
    {152, u"Dist to nearest SUA"}, {153, u"SUA X"}, {154, u"SUA Height separation"}, {155, u"SUA Y"},
    {156, u"L/D to Final Dest"}, {157, u"LDReq"}, {158, u"L/D to Next Wpt"}, {159, u"LDRNxt"},
    {160, u"True Air Speed"}, {161, u"TAS"}, {162, u"Radial/Distance"}, {163, u"Radial"},
    {164, u"Altitude QNH [Feet]"}, {165, u"QNH ft"}, {166, u""},
    // Other texts.
    {200, u"Visible"}, {201, u"3 Lines"}, {202, u"GPS Alt"}, {203, u"Altitude Required"},
    {210, u"Serial Port is in Use by Another Application, or Not Available. Reset your PocketPC, or check "
          u"Menu.ComPort."},
};

const std::int32_t kBuiltinEnglishCount = static_cast<std::int32_t>(sizeof kBuiltinEnglish / sizeof kBuiltinEnglish[0]);

}  // namespace cumulor::detail

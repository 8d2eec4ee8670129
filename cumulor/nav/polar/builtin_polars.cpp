// The built-in polar table: reference mass (kg), maximum water ballast (litres) and three points of
// speed (km/h) and sink (m/s) per glider type.
//
// Figures are three points of each type's published polar (manufacturers' flight-manual figures);
// "1-26A" shares the 1-26E figures. Rows noted "Scaled from" had no usable figure for that loading
// (none published, or three points whose fitted curve is not sane): the other loading's points, as
// a polar is loaded (whole km/h, hundredths of m/s), are scaled to the stated mass, speeds and sinks
// together times sqrt(new mass / old mass), and written in that same precision, each figure within
// a unit or two of the exact product, chosen so that the fitted curve keeps the source row's best
// glide (loading would otherwise cut the figures unevenly and change it).
#include "cumulor/nav/polar/polar.h"

namespace cumulor {

const PolarEntry BuiltinPolars[] = {
    // name, mass, water, {speeds}, {sinks}
    {"Default", 375, 0, {100.0f, 175.0f, 220.0f}, {-0.69f, -2.0f, -3.54f}},
    {"1-26A", 315, 0, {82.3f, 117.7f, 156.9f}, {-1.04f, -1.88f, -3.8f}},
    {"1-26E", 315, 0, {82.3f, 117.7f, 156.9f}, {-1.04f, -1.88f, -3.8f}},
    {"1-34", 354, 0, {89.8f, 143.7f, 179.6f}, {-0.8f, -2.1f, -3.8f}},
    {"1-35A", 381, 179, {98.7f, 151.8f, 202.9f}, {-0.74f, -1.8f, -3.9f}},
    {"1-36 Sprite", 322, 0, {76.0f, 133.0f, 170.9f}, {-0.68f, -2.0f, -4.1f}},
    {"604", 570, 100, {113.0f, 150.6f, 207.1f}, {-0.72f, -1.42f, -4.1f}},
    {"ASH-26E", 435, 90, {90.0f, 96.0f, 185.0f}, {-0.51f, -0.53f, -2.0f}},
    {"ASW-12", 394, 189, {95.0f, 148.0f, 183.1f}, {-0.57f, -1.48f, -2.6f}},
    {"ASW-15", 349, 91, {97.6f, 156.1f, 195.2f}, {-0.77f, -1.9f, -3.4f}},
    {"ASW-17", 522, 151, {114.5f, 169.1f, 206.5f}, {-0.7f, -1.68f, -2.9f}},
    {"ASW-19", 363, 125, {97.5f, 156.0f, 195.0f}, {-0.74f, -1.64f, -3.1f}},
    {"ASW-20", 377, 159, {116.2f, 174.3f, 213.0f}, {-0.77f, -1.89f, -3.3f}},
    {"ASW-22BLE", 465, 285, {100.0f, 120.0f, 150.0f}, {-0.47f, -0.63f, -1.04f}},
    {"ASW-24", 350, 159, {108.8f, 142.2f, 167.4f}, {-0.73f, -1.21f, -1.8f}},
    {"ASW-27 Wnglts", 357, 165, {108.8f, 156.4f, 211.13f}, {-0.635f, -1.182f, -2.54f}},
    {"ASW-28", 310, 200, {92.6f, 120.4f, 148.2f}, {-0.571f, -0.875f, -1.394f}},
    {"DG-400-15", 440, 90, {115.0f, 160.5f, 210.2f}, {-0.76f, -1.22f, -2.3f}},
    {"DG-400-17", 444, 90, {118.3f, 163.8f, 198.3f}, {-0.68f, -1.15f, -1.8f}},
    {"DG-800-15", 468, 120, {133.9f, 178.87f, 223.59f}, {-0.88f, -1.53f, -2.5f}},
    {"DG-800-18 Wnglts", 472, 120, {106.0f, 171.75f, 214.83f}, {-0.62f, -1.47f, -2.4f}},
    {"Discus A", 350, 182, {95.0f, 140.0f, 180.0f}, {-0.63f, -1.23f, -2.29f}},
    {"Genesis II", 374, 151, {94.0f, 141.1f, 172.4f}, {-0.61f, -1.18f, -2.0f}},
    {"H-201 Std Libelle", 304, 50, {97.0f, 152.4f, 190.5f}, {-0.79f, -1.91f, -3.3f}},
    {"H-301 Libelle", 300, 50, {94.0f, 147.7f, 184.6f}, {-0.68f, -2.03f, -4.1f}},
    {"IS-29D2 Lark", 360, 0, {100.0f, 135.7f, 184.1f}, {-0.82f, -1.55f, -3.3f}},
    {"Jantar Std 2", 375, 150, {100.0f, 120.0f, 150.0f}, {-0.73f, -0.95f, -1.6f}},
    {"Jantar 2B", 482, 191, {109.5f, 157.1f, 196.4f}, {-0.66f, -1.47f, -2.7f}},
    {"Ka-6CR", 310, 0, {64.8f, 130.0f, 170.0f}, {-0.67f, -2.26f, -4.69f}},
    {"L-33 SOLO", 330, 0, {87.2f, 135.6f, 174.4f}, {-0.8f, -1.73f, -3.4f}},
    {"LS-1C", 350, 91, {115.9f, 154.5f, 193.1f}, {-1.02f, -1.84f, -3.3f}},
    {"LS-3", 383, 121, {93.0f, 127.0f, 148.2f}, {-0.64f, -0.93f, -1.28f}},
    {"LS-4a", 361, 121, {100.0f, 120.0f, 150.0f}, {-0.69f, -0.87f, -1.44f}},
    {"LS-6a", 327, 160, {90.0f, 100.0f, 183.0f}, {-0.6f, -0.658f, -1.965f}},
    {"LS-7WL", 350, 150, {103.8f, 155.7f, 180.0f}, {-0.73f, -1.47f, -2.66f}},
    {"LS-8-15", 360, 180, {100.0f, 155.0f, 185.0f}, {-0.67f, -1.45f, -2.5f}},
    {"Nimbus 2 20.3m", 493, 159, {119.8f, 179.8f, 219.7f}, {-0.75f, -2.14f, -3.8f}},
    {"Nimbus 3 24.6m", 527, 159, {116.2f, 174.3f, 232.4f}, {-0.67f, -1.81f, -3.8f}},
    {"Nimbus 3T", 577, 310, {141.7f, 182.3f, 243.1f}, {-0.99f, -1.89f, -4.0f}},
    {"Nimbus 4 26.4", 597, 303, {85.1f, 128.0f, 162.7f}, {-0.41f, -0.75f, -1.4f}},
    {"Pegase 90", 344, 120, {85.0f, 105.0f, 175.0f}, {-0.62f, -0.75f, -2.54f}},
    {"PIK-20B", 354, 144, {102.5f, 157.8f, 216.9f}, {-0.69f, -1.59f, -3.6f}},
    {"PIK-20D", 348, 144, {100.0f, 156.5f, 215.2f}, {-0.69f, -1.78f, -4.2f}},
    {"PIK-20E", 437, 80, {109.6f, 166.7f, 241.2f}, {-0.83f, -2.0f, -4.7f}},
    {"PIK-30M", 460, 0, {123.6f, 152.0f, 200.2f}, {-0.78f, -1.12f, -2.2f}},
    {"PW-5", 300, 0, {99.5f, 158.48f, 198.1f}, {-0.951f, -2.853f, -5.135f}},
    {"Russia AC-4", 250, 0, {99.3f, 140.0f, 170.0f}, {-0.92f, -1.8f, -2.9f}},
    {"Std Cirrus", 337, 80, {93.2f, 149.2f, 205.1f}, {-0.74f, -1.71f, -4.2f}},
    {"SZD-55-1", 350, 200, {100.0f, 120.0f, 150.0f}, {-0.66f, -0.86f, -1.4f}},
    {"Ventus A/B 16.6", 358, 151, {100.2f, 159.7f, 239.5f}, {-0.64f, -1.47f, -4.3f}},
    {"Ventus B 15", 341, 151, {97.7f, 156.3f, 234.4f}, {-0.68f, -1.46f, -3.9f}},
    {"Ventus CM", 430, 0, {100.2f, 159.7f, 210.5f}, {-0.6f, -1.32f, -2.5f}},
    {"Zuni II", 358, 182, {110.0f, 167.0f, 203.7f}, {-0.88f, -2.21f, -3.6f}},
    {"ASH-25 25m Pil", 602, 120, {98.5f, 152.18f, 196.93f}, {-0.52f, -1.25f, -2.3f}},
    {"ASH-25 25m Pil+Pas", 750, 121, {130.0f, 170.0f, 219.9f}, {-0.78f, -1.4f, -2.6f}},
    {"ASH-25M Pil", 660, 121, {121.3f, 159.35f, 206.22f}, {-0.73f, -1.31f, -2.4f}},
    // Scaled from ASH-25M Pil to 750 kg.
    {"ASH-25M Pil+Pas", 750, 121, {128.0f, 169.0f, 219.0f}, {-0.78f, -1.41f, -2.57f}},
    {"DG-500 Pil", 659, 100, {115.4f, 152.0f, 190.0f}, {-0.71f, -1.28f, -2.3f}},
    // Scaled from DG-500 Pil to 750 kg.
    {"DG-500 Pil+Pas", 750, 100, {123.0f, 162.0f, 203.0f}, {-0.76f, -1.36f, -2.46f}},
    {"DG-500M Pil", 659, 100, {115.4f, 152.01f, 190.02f}, {-0.71f, -1.28f, -2.3f}},
    {"DG-500M Pil+Pas", 750, 100, {121.6f, 162.12f, 202.66f}, {-0.75f, -1.37f, -2.5f}},
    {"Duo Discus Pil", 537, 201, {94.06f, 155.49f, 188.21f}, {-0.72f, -1.43f, -2.7f}},
    {"Duo Discus Pil+Pas", 615, 80, {103.0f, 152.0f, 200.0f}, {-0.64f, -1.25f, -2.51f}},
    {"Grob 103 TwinII Pil", 494, 0, {90.75f, 161.42f, 207.54f}, {-0.74f, -1.8f, -3.5f}},
    {"Grob 103 TwinII Pil+Pas", 580, 0, {99.0f, 175.01f, 225.02f}, {-0.8f, -1.95f, -3.8f}},
    {"Janus B 18.2 Pil", 498, 240, {100.0f, 120.0f, 150.0f}, {-0.71f, -0.92f, -1.46f}},
    // Scaled from Janus B 18.2 Pil to 588 kg.
    {"Janus B 18.2 Pil+Pas", 588, 240, {108.0f, 130.0f, 163.0f}, {-0.77f, -1.01f, -1.58f}},
    // Scaled from Nimbus 3D 24.6 Pil+Pas to 622 kg.
    {"Nimbus 3D 24.6 Pil", 622, 168, {86.0f, 164.0f, 203.0f}, {-0.43f, -1.37f, -2.35f}},
    {"Nimbus 3D 24.6 Pil+Pas", 712, 168, {93.64f, 175.42f, 218.69f}, {-0.46f, -1.48f, -2.5f}},
    // Scaled from Nimbus 3DM 24.6 Pil+Pas to 730 kg.
    {"Nimbus 3DM 24.6 Pil", 730, 168, {108.0f, 148.0f, 210.0f}, {-0.54f, -0.92f, -2.18f}},
    {"Nimbus 3DM 24.6 Pil+Pas", 820, 168, {114.97f, 157.42f, 222.24f}, {-0.57f, -0.98f, -2.3f}},
    {"Nimbus 4DM 26 Pil", 729, 168, {94.31f, 141.47f, 179.9f}, {-0.46f, -0.82f, -1.5f}},
    {"Nimbus 4DM 26 Pil+Pas", 820, 168, {100.01f, 150.01f, 190.76f}, {-0.48f, -0.87f, -1.6f}},
    {"Nimbus 4D Pil", 652, 303, {99.0f, 133.73f, 170.07f}, {-0.46f, -0.78f, -1.5f}},
    {"Nimbus 4D Pil+Pas", 743, 303, {107.5f, 142.74f, 181.51f}, {-0.497f, -0.832f, -1.546f}},
    {"Stemme S10 Pil", 759, 0, {125.8f, 158.51f, 193.74f}, {-0.82f, -1.33f, -2.2f}},
    // Scaled from Stemme S10 Pil to 850 kg.
    {"Stemme S10 Pil+Pas", 850, 0, {133.0f, 167.0f, 204.0f}, {-0.87f, -1.40f, -2.35f}},
};

const std::size_t BuiltinPolarCount = sizeof(BuiltinPolars) / sizeof(BuiltinPolars[0]);
static_assert(sizeof(BuiltinPolars) / sizeof(BuiltinPolars[0]) == 77);

}  // namespace cumulor

#pragma once
// Form2, the About box: its texts, its layout and the link launch, kept free of
// Windows so they build and are checked on Linux. The window is in Form2_win.h.
#include <string>
#include "base/Types.h"
#include "mevra_version.h"

namespace mevra {

inline constexpr char kAboutCaption[] = "About";
inline constexpr char kAboutVersionLine[] = "Mevra version " MEVRA_VERSION_TEXT;
inline constexpr char kAboutPublisherLine[] = "Published by the Mevra developers";
inline constexpr char kArtworkCredit[] = "Art: Mevra team";
inline constexpr char kArtworkLinkAddress[] = "http://www.example.org/mevra/art";
inline constexpr char kArtworkLinkTip[] = "Click to Visit";
inline constexpr char kAboutCloseText[] = "Close";
inline constexpr char kExplorerCommand[] = "explorer.exe ";
constexpr int kShowMinimized = 2;  // SW_SHOWMINIMIZED: minimised, with focus

// Label1's text: the version line, two empty lines and the publisher, joined by CR LF.
std::string AboutText();
// "explorer.exe " followed by the artwork page's address.
std::string ArtworkLinkCommandLine();

// A control's design position, in twips (1440 to the inch).
struct TwipsBox {
    int left, top, width, height;
};
constexpr int kTwipsPerInch = 1440;
constexpr int kAboutClientWidthTwips = 2985;
constexpr int kAboutClientHeightTwips = 3720;
constexpr TwipsBox kLabel1Twips{360, 120, 2535, 1335};
constexpr TwipsBox kLabel2Twips{1560, 1680, 1335, 255};
constexpr TwipsBox kCommand1Twips{1800, 3000, 1095, 615};

// twips * dpi / 1440, rounded to the nearest pixel (halves away from zero).
// Throws OverflowError when the result does not fit in 32 bits.
int TwipsToPixels(int twips, int dpi);
// The box in pixels: left and width converted with dpiX, top and height with dpiY.
Rect TwipsBoxToPixels(const TwipsBox& box, int dpiX, int dpiY);

struct Origin {
    int x = 0, y = 0;
};
// Top-left corner that centres a window on the screen; a window larger than the
// screen is kept at 0 so its caption stays reachable.
Origin CenteredOrigin(int screenWidth, int screenHeight, int windowWidth, int windowHeight);

// Starts a command line and does not wait for it. The program uses WinExec;
// tests put a recorder in its place.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    virtual bool Start(const std::string& commandLine, int showCommand) = 0;
};

// Label2_Click: opens the artwork page in Explorer, minimised; the result is not
// shown to the user.
void OpenArtworkLink(ProcessLauncher& launcher);

}  // namespace mevra

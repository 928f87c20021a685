#pragma once
// RegistryMod: registry values as text, the wallpaper save/clear/restore, the
// shortcut-arrow overlay and the start-at-logon entry. Its module state lives in
// one RegistryMod object that the shell owns for the whole run.
#include <cstdint>
#include <initializer_list>
#include <string>
#include "base/Types.h"
#include "desktop/Registry.h"
#include "base/TrimAtNull.h"
#include "desktop/WallpaperJournal.h"

namespace mevra {

class SystemSettings;
class DesktopWallpaper;

// ManageWallpaper's actions.
enum WallpaperAction : std::int32_t {
    kWallpaperSaveAndClear = 0,  // save the settings (unless cleared already), then clear
    kWallpaperRestore = 2,
};

// Where the settings live. The desktop key is read with a trailing backslash
// and written without one.
inline constexpr char kDesktopKeyRead[] = "Control Panel\\Desktop\\";
inline constexpr char kDesktopKeyWrite[] = "Control Panel\\Desktop";
inline constexpr char kWinlogonKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
inline constexpr char kShellValue[] = "Shell";
inline constexpr char kShortcutValue[] = "IsShortcut";
inline constexpr char kLnkFileKey[] = "lnkfile";
inline constexpr char kPifFileKey[] = "piffile";
// The logon shell without the program.
inline constexpr char kDefaultShell[] = "explorer.exe";

constexpr std::uint32_t kGetRegValueBufferSize = 1024;

// What became of a change to a setting Windows keeps machine-wide.
enum class SettingChange {
    written,     // Windows holds the new value
    needsAdmin,  // refused, or put in the user's virtual store: the setting is unchanged
    failed,      // any other failure: the setting is unchanged or in doubt
};
constexpr std::uint32_t kShortcutBufferSize = 255;

class RegistryMod {
public:
    // desktop, when given, saves and restores a slideshow and a picture whose file is gone.
    RegistryMod(Registry& registry, SystemSettings& system, DesktopWallpaper* desktop = nullptr);

    // The value as text: REG_SZ and REG_EXPAND_SZ as stored (unexpanded),
    // REG_DWORD in decimal; "" when it cannot be read or has another type. view
    // may ask for kKeyWow64_64Key.
    std::string GetRegValue(std::uint32_t hive, const std::string& keyPath, const std::string& valueName,
                            std::uint32_t view = 0);
    // Creates the key when missing and writes a REG_SZ without its NUL; an
    // empty text is written as " ". True when the value was written.
    bool SetRegString(std::uint32_t hive, const std::string& keyPath, const std::string& valueName,
                      const std::string& value);

    // Wallpaper: action is a WallpaperAction. Save (into memory and the journal),
    // then clear, unless the journal cannot be written; restore, then remove the
    // journal and forget the save, unless Windows refused the picture. Other
    // values do nothing.
    void ManageWallpaper(std::int32_t action);
    // At start-up: a journal left by a run that ended without restoring is put
    // back exactly and removed while the wallpaper is still the blank it left;
    // it is only removed when the user has set another since, or it is unreadable.
    void ApplyLeftoverJournal();
    void SaveWallpaper();
    void ClearWallpaper();
    // Writes the tile and style texts for style 0, 1 or 2 (nothing for any
    // other), then makes path the wallpaper.
    void ApplyWallpaper(std::int16_t style, const std::string& path);
    bool WallpaperCleared = false;

    // "ScreenSaverIsSecure" is "1" (or 1) in the user's desktop settings or their
    // policy: the screen saver locks the computer. Read-only opens: policy keys
    // refuse users anything more.
    bool ScreenSaverLocks();

    // Shortcut arrow and start-up entry. ApplyArrowState writes ArrowHidden and
    // then reads it back, so afterwards ArrowHidden is what Windows holds.
    void ReadArrowState();
    SettingChange ApplyArrowState();
    bool IsStartupSet();
    SettingChange SetStartup(bool enable);
    bool ArrowHidden = false;

    // The logon shell line that starts the program: "explorer.exe " and the
    // running executable's full path, quoted when it holds a blank; "" when
    // the path is not available.
    std::string StartupCommand();

private:
    // False when Windows refused the picture.
    bool RestoreWallpaper();
    // Puts the recorded values back as they were stored, deleting the absent ones,
    // and shows path; false when Windows refused it.
    bool RestoreExactly(const WallpaperRecord& record, const WideText& path);
    void PutBack(const char* name, const SavedValue& value, bool wide);
    // Removes the journal and the picture kept for it.
    void Forget(const WallpaperRecord& record);
    // The tile and style texts of ApplyWallpaper.
    void WriteStyle(std::int16_t style);
    bool WallpaperIsBlank();
    std::int32_t ApplyArrowTo(const char* classKey);
    // The change from the calls' result codes and whether reading back found it.
    static SettingChange Outcome(std::initializer_list<std::int32_t> results, bool readBack);

    Registry& registry_;
    SystemSettings& system_;
    DesktopWallpaper* desktop_;
    bool spotlight_ = false;  // Windows Spotlight was the background at the save
    // The wallpaper as the last save found it.
    bool saved_ = false;
    WideText savedPath_;  // the picture to show again
    std::string savedStyle_;
    std::string savedTile_;
    WallpaperRecord savedRecord_;
    bool journalWarned_ = false;
    WallpaperJournal journal_{registry_};
};

}  // namespace mevra

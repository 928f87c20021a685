#include "desktop/RegistryMod.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <limits>
#include "desktop/DesktopWallpaper.h"
#include "desktop/Registry.h"
#include "desktop/SystemSettings.h"
#include "desktop/WallpaperStyle.h"

namespace mevra {
namespace {

constexpr std::uint32_t kWallpaperFlags = kSpifUpdateIniFile | kSpifSendWinIniChange;

constexpr char kWallpaper[] = "Wallpaper";
constexpr char kWallpaperStyle[] = "WallpaperStyle";
constexpr char kTileWallpaper[] = "TileWallpaper";
constexpr char kOriginalWallpaper[] = "OriginalWallpaper";
// Windows 10 and 11 name the kind of background here; 3 is Windows Spotlight.
constexpr char kWallpapersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Wallpapers";
constexpr char kBackgroundType[] = "BackgroundType";
constexpr char kSpotlightBackground[] = "3";

// A recorded text value's text, up to its first NUL; "" for other types.
std::string TextOf(const SavedValue& value) {
    if (!value.present || (value.type != kRegSz && value.type != kRegExpandSz)) return std::string();
    const std::string bytes(value.data.begin(), value.data.end());
    return bytes.substr(0, bytes.find('\0'));
}
}  // namespace

RegistryMod::RegistryMod(Registry& registry, SystemSettings& system, DesktopWallpaper* desktop)
    : registry_(registry), system_(system), desktop_(desktop) {}

std::string RegistryMod::GetRegValue(std::uint32_t hive, const std::string& keyPath,
                                     const std::string& valueName, std::uint32_t view) {
    RegistryKey key = OpenToRead(registry_, hive, keyPath, view);
    if (!key) return std::string();

    std::array<std::uint8_t, kGetRegValueBufferSize> buffer{};
    std::uint32_t size = kGetRegValueBufferSize;
    std::uint32_t type = kRegNone;
    if (registry_.QueryValue(key.get(), valueName, type, buffer.data(), size) != kErrorSuccess)
        return std::string();

    const std::size_t filled = size < buffer.size() ? size : buffer.size();
    switch (type) {
    case kRegSz:
    case kRegExpandSz:
        return TextFromBuffer(reinterpret_cast<const char*>(buffer.data()), buffer.size(), filled);
    case kRegDword: {
        if (filled < 4) return std::string();
        const std::uint32_t number = std::uint32_t{buffer[0]} | (std::uint32_t{buffer[1]} << 8) |
                                     (std::uint32_t{buffer[2]} << 16) |
                                     (std::uint32_t{buffer[3]} << 24);
        return std::to_string(number);
    }
    default:
        return std::string();
    }
}

bool RegistryMod::SetRegString(std::uint32_t hive, const std::string& keyPath,
                               const std::string& valueName, const std::string& value) {
    RegistryKey key = OpenToWrite(registry_, hive, keyPath, /*create=*/true);
    if (!key) return false;
    // Never store an empty text: a single space stands for it.
    const std::string text = value.empty() ? std::string(" ") : value;
    if (std::uint64_t{text.size()} > std::numeric_limits<std::uint32_t>::max()) return false;
    return registry_.SetValue(key.get(), valueName, kRegSz,
                              reinterpret_cast<const std::uint8_t*>(text.data()),
                              static_cast<std::uint32_t>(text.size())) == kErrorSuccess;
}

void RegistryMod::ManageWallpaper(std::int32_t action) {
    if (action == kWallpaperSaveAndClear) {
        // Saving over a cleared desktop would lose the user's wallpaper.
        if (!WallpaperCleared) {
            SaveWallpaper();
            if (!journal_.Write(savedRecord_)) {
                // Without a journal a crash would lose the wallpaper for good: the
                // film plays over it instead.
                saved_ = false;
                Forget(savedRecord_);
                if (!journalWarned_)
                    system_.DebugOutput("Mevra: wallpaper journal could not be written; "
                                        "the wallpaper stays and the film plays over it");
                journalWarned_ = true;
                return;
            }
        }
        ClearWallpaper();
    } else if (action == kWallpaperRestore && saved_) {
        if (!RestoreWallpaper()) {
            // Still cleared, still journalled: the next Stop or start tries again.
            system_.DebugOutput("Mevra: wallpaper not restored; its journal is kept");
            return;
        }
        Forget(savedRecord_);
        if (spotlight_)
            system_.DebugOutput("Mevra: Windows Spotlight was the background; Windows offers no "
                                "way to turn it back on, choose it again in Personalisation");
        // Given back once: until the next clear there is nothing of the user's to restore.
        saved_ = false;
        WallpaperCleared = false;
    }
}

bool RegistryMod::WallpaperIsBlank() {
    RegistryKey key = OpenToRead(registry_, kHkeyCurrentUser, kDesktopKeyRead);
    if (!key) return true;
    const WideText now = WideTextOf(ReadSavedValue(registry_, key.get(), kWallpaper, true));
    // The clear writes a blank and Windows may store it as an empty text.
    return std::all_of(now.begin(), now.end(), [](char16_t c) { return c == u' '; });
}

void RegistryMod::ApplyLeftoverJournal() {
    WallpaperRecord record;
    const JournalState state = journal_.Read(record);
    if (state == JournalState::None) return;
    if (state == JournalState::Complete && !WallpaperIsBlank()) {
        system_.DebugOutput("Mevra: wallpaper journal dropped, the user has chosen another wallpaper");
    } else if (state == JournalState::Complete) {
        if (record.colour) system_.SetSysColor(kColorBackground, *record.colour);
        if (!RestoreExactly(record, WideTextOf(record.wallpaper))) {
            system_.DebugOutput("Mevra: wallpaper journal not applied; kept for the next start");
            return;
        }
        system_.DebugOutput("Mevra: wallpaper journal applied");
    } else {
        system_.DebugOutput("Mevra: wallpaper journal unreadable, removed unapplied");
    }
    Forget(record);
}

void RegistryMod::SaveWallpaper() {
    savedStyle_ = GetRegValue(kHkeyCurrentUser, kDesktopKeyRead, kWallpaperStyle);
    savedTile_ = GetRegValue(kHkeyCurrentUser, kDesktopKeyRead, kTileWallpaper);
    RegistryKey key = OpenToRead(registry_, kHkeyCurrentUser, kDesktopKeyRead);
    savedRecord_ = WallpaperRecord();
    // The clear paints the desktop the film's colour: a plain-colour desktop needs its own back.
    savedRecord_.colour = system_.GetSysColor(kColorBackground);
    savedPath_.clear();
    if (key) {
        // Wide: a path outside the code page would come back as '?' and be lost.
        savedRecord_.wallpaper = ReadSavedValue(registry_, key.get(), kWallpaper, true);
        savedRecord_.tile = ReadSavedValue(registry_, key.get(), kTileWallpaper, true);
        savedRecord_.style = ReadSavedValue(registry_, key.get(), kWallpaperStyle, true);
        savedPath_ = WideTextOf(savedRecord_.wallpaper);
        if (savedPath_.empty())
            savedPath_ = WideTextOf(ReadSavedValue(registry_, key.get(), kOriginalWallpaper, true));
    }
    if (desktop_) {
        // Clearing stops a slideshow, and Windows rewrites its own copy of the picture.
        savedRecord_.slideshow = desktop_->RunningSlideshow();
        const WideText picture = WideTextOf(savedRecord_.wallpaper);
        const bool blank =
            std::all_of(picture.begin(), picture.end(), [](char16_t c) { return c == u' '; });
        if (!savedRecord_.slideshow && !blank && !desktop_->FileExists(picture))
            savedRecord_.copy = desktop_->KeepWindowsCopy();
        spotlight_ = GetRegValue(kHkeyCurrentUser, kWallpapersKey, kBackgroundType) ==
                     kSpotlightBackground;
    }
    saved_ = true;
}

void RegistryMod::ClearWallpaper() {
    system_.SetSysColor(kColorBackground, kPlaybackDesktopColor);
    SetRegString(kHkeyCurrentUser, kDesktopKeyWrite, kWallpaper, std::string());
    system_.SetDeskWallpaper(std::string(), kWallpaperFlags);
    WallpaperCleared = true;
}

void RegistryMod::ApplyWallpaper(std::int16_t style, const std::string& path) {
    WriteStyle(style);
    system_.SetDeskWallpaper(path, kWallpaperFlags);
}

void RegistryMod::WriteStyle(std::int16_t style) {
    const char* tile = nullptr;
    const char* fit = nullptr;
    switch (style) {
    case 0: tile = "0"; fit = "0"; break;
    case 1: tile = "1"; fit = "0"; break;
    case 2: tile = "0"; fit = "2"; break;
    default: break;
    }
    if (tile != nullptr) {
        SetRegString(kHkeyCurrentUser, kDesktopKeyWrite, kTileWallpaper, tile);
        SetRegString(kHkeyCurrentUser, kDesktopKeyWrite, kWallpaperStyle, fit);
    }
}

bool RegistryMod::RestoreWallpaper() {
    // Nothing saved means nothing to bring back; clearing here would wipe the
    // user's wallpaper.
    if (!saved_) return true;

    // An absent value, or a tiled wallpaper without a style, cannot be written
    // back as text without changing what the user sees: put back what was stored.
    const WallpaperRecord& r = savedRecord_;
    if (r.colour) system_.SetSysColor(kColorBackground, *r.colour);
    const bool tiled_no_style = savedStyle_.empty() && savedTile_ == "1";
    if (r.slideshow || !r.copy.empty() || !r.wallpaper.present || !r.tile.present || !r.style.present || tiled_no_style) {
        return RestoreExactly(r, r.wallpaper.present ? savedPath_ : WideText());
    }
    const bool style_is_number = IsNumberText(savedStyle_);
    const auto style = ToInt16Rounded(style_is_number ? savedStyle_ : std::string("2"));
    if (!style) {
        // Too large for a style: leave tile and style alone.
        return system_.SetDeskWallpaperWide(savedPath_, kWallpaperFlags);
    }
    if (style_is_number && IsNumberText(savedTile_)) {
        // Put back exactly what was there, so tiled stays tiled.
        SetRegString(kHkeyCurrentUser, kDesktopKeyWrite, kTileWallpaper, savedTile_);
        SetRegString(kHkeyCurrentUser, kDesktopKeyWrite, kWallpaperStyle, savedStyle_);
        return system_.SetDeskWallpaperWide(savedPath_, kWallpaperFlags);
    }
    WriteStyle(*style);
    return system_.SetDeskWallpaperWide(savedPath_, kWallpaperFlags);
}

bool RegistryMod::RestoreExactly(const WallpaperRecord& record, const WideText& path) {
    // Windows reads tile and style when the wallpaper is applied, and writes the
    // path itself: so tile and style first, the path's own bytes last.
    PutBack(kTileWallpaper, record.tile, record.wide);
    PutBack(kWallpaperStyle, record.style, record.wide);
    if (record.slideshow) {
        // Windows writes the slideshow's picture to the values itself.
        if (desktop_ && desktop_->StartSlideshow(*record.slideshow)) return true;
        system_.DebugOutput("Mevra: slideshow not restored; its last picture is shown instead");
    }
    // A picture whose file is gone is shown from the copy; the values keep its old path.
    const bool shown = record.wide
                           ? system_.SetDeskWallpaperWide(record.copy.empty() ? path : record.copy,
                                                          kWallpaperFlags)
                           // an older version's journal: its bytes are in the code page
                           : system_.SetDeskWallpaper(TextOf(record.wallpaper), kWallpaperFlags);
    PutBack(kWallpaper, record.wallpaper, record.wide);
    return shown;
}

void RegistryMod::Forget(const WallpaperRecord& record) {
    journal_.Remove();
    if (desktop_ && !record.copy.empty()) desktop_->DeleteCopy(record.copy);
}

void RegistryMod::PutBack(const char* name, const SavedValue& value, bool wide) {
    RegistryKey key = OpenToWrite(registry_, kHkeyCurrentUser, kDesktopKeyWrite, value.present);
    if (!key) return;
    if (!value.present) {
        registry_.DeleteValue(key.get(), name);
        return;
    }
    const auto size = static_cast<std::uint32_t>(value.data.size());
    if (wide)
        registry_.SetValueWide(key.get(), name, value.type, value.data.data(), size);
    else
        registry_.SetValue(key.get(), name, value.type, value.data.data(), size);
}

bool RegistryMod::ScreenSaverLocks() {
    static const char* const keys[] = {
        "Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop", kDesktopKeyWrite};
    for (const char* path : keys) {
        Registry::Key raw = 0;
        if (registry_.OpenKey(kHkeyCurrentUser, path, kKeyRead, raw) != kErrorSuccess || raw == 0)
            continue;
        RegistryKey key(registry_, raw);
        const SavedValue value = ReadSavedValue(registry_, key.get(), "ScreenSaverIsSecure");
        if (value.type == kRegDword && value.data.size() == 4 && value.data[0] == 1 &&
            value.data[1] == 0 && value.data[2] == 0 && value.data[3] == 0)
            return true;
        if (TextOf(value) == "1") return true;
    }
    return false;
}

void RegistryMod::ReadArrowState() {
    RegistryKey key = OpenToRead(registry_, kHkeyClassesRoot, kPifFileKey);
    if (!key) {
        ArrowHidden = true;
        return;
    }
    std::array<std::uint8_t, kShortcutBufferSize> buffer{};
    std::uint32_t size = kShortcutBufferSize;
    std::uint32_t type = kRegNone;
    ArrowHidden = registry_.QueryValue(key.get(), kShortcutValue, type, buffer.data(), size) !=
                  kErrorSuccess;
}

SettingChange RegistryMod::ApplyArrowState() {
    const bool wanted = ArrowHidden;
    const std::int32_t lnk = ApplyArrowTo(kLnkFileKey);
    const std::int32_t pif = ApplyArrowTo(kPifFileKey);
    ReadArrowState();  // what Explorer will find
    return Outcome({lnk, pif}, ArrowHidden == wanted);
}

std::int32_t RegistryMod::ApplyArrowTo(const char* classKey) {
    std::int32_t rc = kErrorSuccess;
    RegistryKey key = OpenToWrite(registry_, kHkeyClassesRoot, classKey, false, 0, &rc);
    if (!key) return rc;
    if (ArrowHidden) {
        rc = registry_.DeleteValue(key.get(), kShortcutValue);
        return rc == kErrorFileNotFound ? kErrorSuccess : rc;  // gone already
    }
    // An empty text with its NUL: one zero byte.
    const std::uint8_t empty[1] = {0};
    return registry_.SetValue(key.get(), kShortcutValue, kRegSz, empty, sizeof empty);
}

SettingChange RegistryMod::Outcome(std::initializer_list<std::int32_t> results, bool readBack) {
    for (const std::int32_t rc : results)
        if (rc == kErrorAccessDenied) return SettingChange::needsAdmin;
    for (const std::int32_t rc : results)
        if (rc != kErrorSuccess) return SettingChange::failed;
    // Every call succeeded and the value is not there: the write went to the user's
    // virtual store, which is what Windows does for a program without the rights.
    return readBack ? SettingChange::written : SettingChange::needsAdmin;
}

std::string RegistryMod::StartupCommand() {
    const std::string path = ModulePath(system_);
    if (path.empty()) return std::string();
    const bool blank = path.find_first_of(" \t") != std::string::npos;
    return std::string(kDefaultShell) + " " + (blank ? "\"" + path + "\"" : path);
}

bool RegistryMod::IsStartupSet() {
    const std::string expected = StartupCommand();
    if (expected.empty()) return false;
    // The 64-bit logon reads the 64-bit view, whichever build this is.
    const std::string current =
        GetRegValue(kHkeyLocalMachine, kWinlogonKey, kShellValue, kKeyWow64_64Key);
    return !current.empty() && current == expected;
}

SettingChange RegistryMod::SetStartup(bool enable) {
    // Without the program's own path there is no line worth writing.
    const std::string line = enable ? StartupCommand() : std::string(kDefaultShell);
    if (line.empty()) return SettingChange::failed;
    std::int32_t rc = kErrorSuccess;
    // Windows' own key: opened, never made where Windows has none.
    RegistryKey key = OpenToWrite(registry_, kHkeyLocalMachine, kWinlogonKey, /*create=*/false,
                                  kKeyWow64_64Key, &rc);
    if (key) {
        // Stored with its NUL, as Windows' own tools store a text.
        rc = registry_.SetValue(key.get(), kShellValue, kRegSz,
                                reinterpret_cast<const std::uint8_t*>(line.c_str()),
                                static_cast<std::uint32_t>(line.size() + 1));
    }
    key.reset();
    return Outcome({rc}, rc == kErrorSuccess && IsStartupSet() == enable);
}

}  // namespace mevra

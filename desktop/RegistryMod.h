#pragma once
// RegistryMod: registry values as text, the wallpaper save/clear/restore, the
// shortcut-arrow overlay and the start-at-logon entry. Its module state lives in
// one RegistryMod object that the shell owns for the whole run.
#include <cstdint>
#include <string>
#include "base/Types.h"
#include "desktop/TrimAtNull.h"

namespace mevra {

class Registry;
class SystemSettings;

// Predefined root keys, as the 32-bit values Windows gives them.
constexpr std::uint32_t kHkeyClassesRoot = 0x80000000u;
constexpr std::uint32_t kHkeyCurrentUser = 0x80000001u;
constexpr std::uint32_t kHkeyLocalMachine = 0x80000002u;

class RegistryMod {
public:
    RegistryMod(Registry& registry, SystemSettings& system);

    std::string GetRegValue(std::uint32_t hive, const std::string& keyPath, const std::string& valueName);
    bool SetRegString(std::uint32_t hive, const std::string& keyPath, const std::string& valueName,
                      const std::string& value);

    // Wallpaper. 0: save, then clear; 2: restore.
    void ManageWallpaper(std::int32_t action);
    void SaveWallpaper();
    void ClearWallpaper();
    bool WallpaperCleared = false;

    // Shortcut arrow and start-up entry.
    void ReadArrowState();
    void ApplyArrowState();
    bool IsStartupSet();
    void SetStartup(bool enable);
    bool ArrowHidden = false;

private:
    Registry& registry_;
    SystemSettings& system_;
    // (the saved wallpaper state follows)
};

}  // namespace mevra

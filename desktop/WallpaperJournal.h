#pragma once
// The journal of the user's wallpaper values: kept in the registry for as long
// as a film has the wallpaper cleared, so that a run which dies without
// restoring (killed, crashed, power cut) is mended by the next start.
//
// One REG_BINARY value, HKCU\Software\Mevra\WallpaperJournal, written in one
// call and deleted in one call. Little-endian throughout:
//   "MVWJ" 0x02                      magic and format version
//   three entries, in the order Wallpaper, TileWallpaper, WallpaperStyle:
//     present  1 byte: 0 the value was absent (type and size then 0), 1 present
//     type     4 bytes: the value's registry type, as stored
//     size     4 bytes, then size bytes of data, as stored (NULs included),
//              read with the wide calls: text is UTF-16LE
//   colour   1 byte: 1 when the desktop colour follows, 0 when not; then 4 bytes
//            COLORREF (not in format 0x01)
//   format 0x03 only, written when a slideshow ran or the picture's file was gone:
//   slideshow 1 byte: 1 when options 4 bytes, tick 4 bytes and one text, the items'
//            names each ended by a NUL, follow; 0 when not
//   copy     one text: the picture kept from Windows' own copy, or none
//   (a text is 4 bytes of size, then that many bytes of UTF-16LE)
//   check    4 bytes: FNV-1a of every byte before it
//   "END."                           end marker
// Data that is cut short, runs on, or fails the check is unreadable: it is
// thrown away and never applied in part. Format 0x01, left by older versions,
// is the same with the values read through the code page; it is still applied,
// with the ANSI calls, since its bytes are only right for those. Format 0x02 is
// written whenever 0x03 would add nothing, so older versions still read it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include "desktop/DesktopWallpaper.h"
#include "desktop/Registry.h"
#include "desktop/SystemSettings.h"

namespace mevra {

inline constexpr char kJournalKey[] = "Software\\Mevra";
inline constexpr char kJournalValue[] = "WallpaperJournal";
// A sane limit well above any wallpaper path: larger data is not a journal.
constexpr std::uint32_t kJournalMaxBytes = 64 * 1024;

// One registry value exactly as it was stored, or its absence.
struct SavedValue {
    bool present = false;
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> data;
    bool operator==(const SavedValue& o) const {
        return present == o.present && type == o.type && data == o.data;
    }
};

struct WallpaperRecord {
    SavedValue wallpaper, tile, style;
    bool wide = true;  // read with the wide calls (false only for an old journal)
    std::optional<ColorRef> colour;  // COLOR_BACKGROUND
    std::optional<Slideshow> slideshow;  // running when saved
    WideText copy;  // the picture as Windows kept it, when its own file was gone
    bool operator==(const WallpaperRecord& o) const {
        return wallpaper == o.wallpaper && tile == o.tile && style == o.style && wide == o.wide &&
               colour == o.colour && slideshow == o.slideshow && copy == o.copy;
    }
};

std::vector<std::uint8_t> EncodeJournal(const WallpaperRecord& record);
std::optional<WallpaperRecord> DecodeJournal(const std::vector<std::uint8_t>& bytes);

// Reads a value as stored, through the wide call when wide; absent when the key
// or value is missing or unreadable.
SavedValue ReadSavedValue(Registry& registry, Registry::Key key, const std::string& name,
                          bool wide = false);
// A text value's UTF-16 text up to its first NUL; empty for other types.
WideText WideTextOf(const SavedValue& value);

enum class JournalState { None, Complete, Unreadable };

class WallpaperJournal {
public:
    explicit WallpaperJournal(Registry& registry) : registry_(registry) {}
    // One RegSetValueExA; false when the key or value could not be written.
    bool Write(const WallpaperRecord& record);
    // What is there; record is filled only when Complete.
    JournalState Read(WallpaperRecord& record);
    // Deletes the value, then the key once nothing else is in it.
    void Remove();

private:
    Registry& registry_;
};

}  // namespace mevra

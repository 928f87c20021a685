// GetPathTail and GetFileName on the paths the open dialog gives back.
#include <gtest/gtest.h>

#include "dialogs/StringMod.h"

namespace mevra {
namespace {

TEST(GetPathTail, CountsBackslashesFromTheEnd) {
    struct Case {
        const char* path;
        std::int32_t count;
        const char* tail;
    };
    const Case cases[] = {
        {"C:\\Films\\clip.avi", 1, "clip.avi"},
        {"C:\\Films\\clip.avi", 2, "Films\\clip.avi"},
        {"C:\\Films\\clip.avi", 3, "C:\\Films\\clip.avi"},   // runs out: the whole path
        {"C:\\Films\\clip.avi", 9, "C:\\Films\\clip.avi"},
        {"clip.avi", 1, "clip.avi"},                         // no backslash at all
        {"C:\\Films\\Old\\", 1, "Old\\"},                    // the final backslash is skipped
        {"C:\\Films\\Old\\", 2, "Films\\Old\\"},
        {"\\clip.avi", 1, "clip.avi"},
        {"\\", 1, "\\"},
        {"\\\\", 1, "\\"},
        {"", 1, ""},
        {"C:\\Films\\clip.avi", 0, ""},                      // nothing searched: nothing behind
        {"a\\\\b", 1, "b"},
        {"a\\\\b", 2, "\\b"},
        {"Z:\\work\\with blanks\\my clip.avi", 1, "my clip.avi"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetPathTail(c.path, c.count), c.tail) << c.path << " / " << c.count;
}

TEST(GetFileName, KeepsOrDropsTheExtension) {
    struct Case {
        const char* path;
        bool withExtension;
        const char* name;
    };
    const Case cases[] = {
        {"C:\\Films\\clip.avi", true, "clip.avi"},
        {"C:\\Films\\clip.avi", false, "clip"},
        {"C:\\Films\\README", false, "README"},                  // no dot: whole name
        {"C:\\Films\\my.holiday.2004.mpg", false, "my.holiday.2004"},  // only the last part goes
        {"C:\\Films.old\\clip", false, "clip"},                  // a dot in a folder does not count
        {"C:\\Films\\.hidden", false, ""},
        {"C:\\Films\\clip.", false, "clip"},
        {"clip.wmv", true, "clip.wmv"},
        {"", false, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetFileName(c.path, c.withExtension), c.name) << c.path;
}

}  // namespace
}  // namespace mevra

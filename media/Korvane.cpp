#include "media/Korvane.h"

#include <cctype>
#include <cmath>
#include <optional>
#include <string_view>
#include "base/Numbers.h"
#include "desktop/TrimAtNull.h"

namespace mevra {

namespace {

constexpr char kDefaultAlias[] = "MYPLAYER";
constexpr char kDesktopTitle[] = "Program Manager";
constexpr char kSuccess[] = "Success";
constexpr std::int32_t kWsChild = 0x40000000;      // WS_CHILD, the film window's style
constexpr std::uint32_t kShortPathBuffer = 255;    // characters for GetShortPathNameA
constexpr std::uint32_t kSmallBuffer = 128;        // the few 128-character replies
constexpr std::size_t kOpenCommandField = 255;     // the open command's fixed width

std::string Num(std::int64_t n) { return std::to_string(n); }

std::string ToUpperAscii(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The text after the last '.' of the whole path; "" when there is no dot or
// the dot is the last character.
std::string GetFileExtension(const std::string& path) {
    auto dot = path.rfind('.');
    if (dot == std::string::npos || dot + 1 >= path.size()) return std::string();
    return path.substr(dot + 1);
}

// "mm:ss" with minutes held in 16 bits, as the length text has always been
// written. Throws OverflowError from 547 minutes on.
std::string MinutesSeconds(double seconds) {
    if (seconds < 60) return "00:" + FormatTwoDigits(seconds);
    std::int16_t minutes = ToInt16(std::floor(seconds / 60));
    double rest = seconds - CheckedMul16(minutes, 60);
    return FormatTwoDigits(minutes) + ":" + FormatTwoDigits(rest);
}

}  // namespace

KORVANECLASS::KORVANECLASS(MciApi& mci, MediaSystemApi& system)
    : mci_(mci), system_(system), alias_(kDefaultAlias) {}

std::string KORVANECLASS::AliasName() const { return alias_; }
void KORVANECLASS::SetAliasName(const std::string& new_AliasName) { alias_ = new_AliasName; }
Hwnd KORVANECLASS::hwndParent() const { return parent_; }
void KORVANECLASS::SethwndParent(Hwnd new_HwndParent) { parent_ = new_HwndParent; }
void KORVANECLASS::SetFilename(const std::string& xFile) { file_ = xFile; }

std::string KORVANECLASS::Filename() const {
    std::string buffer(kShortPathBuffer, '\0');
    std::uint32_t n = system_.ShortPathName(file_, buffer.data(), kShortPathBuffer);
    // A count of the buffer's size or more is the size the call would need:
    // nothing was written, and a cut path would name another file.
    if (n == 0 || n >= kShortPathBuffer) return std::string();
    return buffer.substr(0, n);
}

std::string KORVANECLASS::DeviceType() const {
    static const char* const kMpegVideo[] = {
        "AIF", "AIFC", "ASX", "AU",  "AVI",  "DAT", "ENC", "M1V", "MOV",
        "MP2", "MPA",  "MPE", "MPEG", "MPG", "MPM", "MPV", "MPV2", "QT",
        "RMI", "VOB",  "WAV", "WAX", "WMA",  "WMP", "WMV", "WMX"};
    const std::string ext = ToUpperAscii(GetFileExtension(Filename()));
    if (ext.empty()) return std::string();
    if (EqualNoCase(ext, "MID")) return "Sequencer";
    for (const char* known : kMpegVideo)
        if (EqualNoCase(ext, known)) return "MPEGVideo";
    return std::string();
}

std::uint32_t KORVANECLASS::SendNoReply(const std::string& command) {
    char none[] = "0";
    return mci_.SendCommand(command, none, 0);
}

std::string KORVANECLASS::Query(const std::string& command, std::uint32_t buffer_size) {
    std::string reply(buffer_size, '\0');
    last_query_code_ = mci_.SendCommand(command, reply.data(), buffer_size);
    return reply;
}

std::string KORVANECLASS::ErrorText(std::uint32_t code) {
    std::string buffer(kSmallBuffer, '\0');
    mci_.ErrorString(code, buffer.data(), kSmallBuffer);
    return buffer.substr(0, buffer.find('\0'));
}

void KORVANECLASS::setCommand(int Cmd, const std::string& sDrive, std::int32_t nValue) {
    // With the alias free this opens the CD drive under it; with a film
    // loaded it fails and changes nothing.
    SendNoReply("open " + sDrive + " Type cdaudio alias " + alias_ + " wait shareable");
    switch (Cmd) {
        case 1: SendNoReply("stop " + alias_); break;
        case 2: SendNoReply("play " + alias_); break;
        case 3:
            Query("set " + alias_ + " time format ms", kSmallBuffer);
            SendNoReply("seek " + alias_ + " to " + Num(nValue));
            SendNoReply("play " + alias_ + " from " + Num(nValue));
            break;
        case 4: SendNoReply("set " + alias_ + " speed " + Num(nValue)); break;
        case 5: SendNoReply("close " + alias_); break;
        case 6: SendNoReply("pause " + alias_ + " wait"); break;
        case 7: SendNoReply("resume " + alias_); break;
        default: break;
    }
}

std::string KORVANECLASS::getStatusInfo(std::int32_t Info) {
    std::string reply;
    switch (Info) {
        case 1:
            Query("set " + alias_ + " time format frames");
            reply = Query("status " + alias_ + " length");
            break;
        case 2: reply = Query("status " + alias_ + " mode"); break;
        case 3: {
            SendNoReply("set " + alias_ + " time format ms");
            double ms = LeadingNumber(Query("status " + alias_ + " position"));
            reply = Num(ToInt32(RoundHalfEven(ms)));
            break;
        }
        case 4: reply = Query("status " + alias_ + " time format"); break;
        case 5: reply = Query("Status " + alias_ + " frame rate"); break;
        case 6: {
            double speed = LeadingNumber(Query("status " + alias_ + " speed ")) / 10;
            reply = FormatShortest(speed, system_.DecimalSeparator());
            break;
        }
        case 7: reply = Query("status " + alias_ + " window handle"); break;
        case 8: {
            SetTimeFormat(0);
            double ms = LeadingNumber(Query("status " + alias_ + " length"));
            reply = FormatShortest(RoundHalfEven(ms / 1000), system_.DecimalSeparator());
            break;
        }
        default: break;
    }
    return TrimAtNull(reply);
}

void KORVANECLASS::SetTimeFormat(std::int32_t fm_Time) {
    switch (fm_Time) {
        case 0: SendNoReply("set " + alias_ + " time format ms wait"); break;
        case 1: SendNoReply("set " + alias_ + " time format tmsf wait"); break;
        case 2: SendNoReply("set " + alias_ + " time format frames wait"); break;
        default: break;
    }
}

std::string KORVANECLASS::LENGTHFORMAT(std::int32_t sFormat) {
    SendNoReply("set " + alias_ + " time format milliseconds");
    std::string text;
    switch (sFormat) {
        case 0:
        case 1: {
            double s = RoundHalfEven(LeadingNumber(Query("status " + alias_ + " length")) / 1000);
            text = sFormat == 0 ? FormatShortest(s, system_.DecimalSeparator()) : MinutesSeconds(s);
            break;
        }
        case 2: text = Query("status " + alias_ + " length", kSmallBuffer); break;
        default: break;
    }
    return TrimAtNull(text);
}

std::string KORVANECLASS::POSFORMAT(std::int32_t sPFormat) {
    // Step by step: a step that fails is skipped and the working values keep
    // what they held, so this never throws.
    std::string text;
    double p = 0;
    auto seconds_of = [&p](const std::string& reply) {
        if (std::optional<double> ms = WholeNumber(reply)) p = RoundHalfEven(*ms / 1000);
    };
    auto attempt = [](auto&& step) {
        try {
            step();
        } catch (const std::exception&) {
        }
    };
    switch (sPFormat) {
        case 0:
            attempt([&] { SendNoReply("set " + alias_ + " time format tmsf "); });
            attempt([&] { seconds_of(TrimAtNull(Query("status " + alias_ + " position"))); });
            attempt([&] { text = FormatShortest(p, system_.DecimalSeparator()); });
            break;
        case 1: {
            attempt([&] { SendNoReply("set " + alias_ + " time format milliseconds"); });
            attempt([&] { seconds_of(Query("status " + alias_ + " position")); });
            if (p < 60) {
                attempt([&] { text = "00:" + FormatTwoDigits(p); });
                break;
            }
            std::int16_t minutes = 0;
            double rest = p;
            attempt([&] { minutes = ToInt16(std::floor(p / 60)); });
            attempt([&] { rest = p - CheckedMul16(minutes, 60); });
            attempt([&] { text = FormatTwoDigits(minutes) + ":" + FormatTwoDigits(rest); });
            break;
        }
        case 2:
            attempt([&] { text = Query("status " + alias_ + " position"); });
            break;
        default: break;
    }
    return TrimAtNull(text);
}

bool KORVANECLASS::THE_ENDOFSONG(std::int32_t fTime) {
    if (fTime < 0 || fTime > 2) return true;
    std::string position = POSFORMAT(fTime);
    std::string length = LENGTHFORMAT(fTime);
    return EqualNoCase(position, length);
}

OpenResult KORVANECLASS::OpenMedia(Hwnd lngHWnd, const std::string& AliasName,
                                   const std::string& typeDevice) {
    const std::string named = "open " + Filename() + " type " + typeDevice + " Alias " +
                              AliasName + " parent " + Num(lngHWnd);
    // Cut inside the alias or the parent, the open would load the film under a
    // name nothing ever closes.
    abandoned_ = true;
    if (named.size() > kOpenCommandField) return OpenResult{kOpenNotSent, kPathTooLongText};
    std::string command = named + " Style " + Num(kWsChild);
    command.resize(kOpenCommandField, ' ');  // pads with blanks or cuts, as the field does
    OpenResult result;
    result.code = SendNoReply(command);
    // Leaves the device counting in milliseconds, which the seek after it needs.
    LENGTHFORMAT(0);
    if (result.code == 0 && EqualNoCase(AliasName, alias_) && last_query_code_ != 0) {
        // No length: a device that gives no position either never plays, and the
        // loop timer would take it for a film at its end, over and over.
        Query("status " + alias_ + " position");
        if (last_query_code_ != 0) {
            SendNoReply("close " + AliasName);
            return OpenResult{last_query_code_, kNoAnswerText};
        }
    }
    abandoned_ = false;
    result.text = result.code != 0 ? ErrorText(result.code) : kSuccess;
    return result;
}

std::string KORVANECLASS::OpenMediaFile(Hwnd lngHWnd, const std::string& AliasName,
                                        const std::string& typeDevice) {
    return OpenMedia(lngHWnd, AliasName, typeDevice).text;
}

OpenResult KORVANECLASS::PlayMEDIAFILE(std::int32_t where) {
    OpenResult opened = OpenMedia(hwndParent(), AliasName(), DeviceType());
    // Not sent, or closed again: nothing of this film to place or start.
    if (abandoned_) return opened;
    std::int32_t width = 0, height = 0;
    MoveVideoTo(hwndParent(), 0, 0, width, height, 0);
    const std::int32_t from = CheckedMul32(where, 1000);
    SendNoReply("seek " + alias_ + " to " + Num(from));
    SendNoReply("play " + alias_);
    return opened;
}

std::string KORVANECLASS::MoveVideoTo(Hwnd lngHWnd, std::int32_t lngLeft, std::int32_t lngTop,
                                      std::int32_t& lngWidth, std::int32_t& lngHeight,
                                      std::int32_t margin) {
    if (lngWidth == 0 || lngHeight == 0) {
        Rect rect;
        if (!system_.WindowRect(lngHWnd, rect)) rect = Rect{};
        lngWidth = CheckedSub32(rect.right, rect.left);
        lngHeight = CheckedSub32(rect.bottom, rect.top);
    }
    const std::int32_t twice = CheckedMul32(2, margin);
    const std::string command = "put " + alias_ + " window at " +
                                Num(CheckedAdd32(lngLeft, margin)) + " " +
                                Num(CheckedAdd32(lngTop, margin)) + " " +
                                Num(CheckedSub32(lngWidth, twice)) + " " +
                                Num(CheckedSub32(lngHeight, twice));
    std::uint32_t code = SendNoReply(command);
    return code != 0 ? ErrorText(code) : kSuccess;
}

void KORVANECLASS::JumpBy(std::int32_t nValue, bool forward) {
    // getStatusInfo 3 always answers with a 32-bit number, so this cannot miss.
    const std::int32_t pos = ToInt32(WholeNumber(getStatusInfo(3)).value_or(0));
    Query("set " + alias_ + " time format ms", kSmallBuffer);
    const std::int32_t distance = CheckedMul32(nValue, 1000);
    const std::int32_t target = forward ? CheckedAdd32(pos, distance) : CheckedSub32(pos, distance);
    SendNoReply("play " + alias_ + " from " + Num(target));
}

void KORVANECLASS::FForward(std::int32_t nValue) { JumpBy(nValue, true); }
void KORVANECLASS::FRewind(std::int32_t nValue) { JumpBy(nValue, false); }

void KORVANECLASS::SetAudioState(std::int32_t stChan, std::int32_t st_pos) {
    const char* channel = nullptr;
    switch (stChan) {
        case 0: channel = "right"; break;
        case 1: channel = "left"; break;
        case 2: channel = "all"; break;
        default: return;
    }
    SendNoReply("set " + alias_ + " audio " + channel + (st_pos == 0 ? " on" : " off"));
}

Hwnd KORVANECLASS::GetHwndDesktop() { return system_.FindWindowByTitle(kDesktopTitle); }

}  // namespace mevra

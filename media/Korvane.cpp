#include "media/Korvane.h"

#include <cctype>
#include <cmath>
#include <optional>
#include <string_view>
#include "base/Numbers.h"
#include "base/Report.h"
#include "base/TrimAtNull.h"
#include "desktop/DesktopMod.h"

namespace mevra {

namespace {

constexpr char kDefaultAlias[] = "MYPLAYER";
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

KORVANECLASS::KORVANECLASS(MciApi& mci, MediaSystemApi& system, MfEngine* mf)
    : mci_(mci), system_(system), mf_(mf), alias_(kDefaultAlias) {}

std::string KORVANECLASS::AliasName() const { return alias_; }
void KORVANECLASS::SetAliasName(const std::string& alias) { alias_ = alias; }
Hwnd KORVANECLASS::hwndParent() const { return parent_; }
void KORVANECLASS::SethwndParent(Hwnd parent) { parent_ = parent; }
void KORVANECLASS::SetFilename(const std::string& path) { file_ = path; }

std::string KORVANECLASS::Filename() const {
    std::string buffer(kShortPathBuffer, '\0');
    std::uint32_t n = system_.ShortPathName(file_, buffer.data(), kShortPathBuffer);
    // A count of the buffer's size or more is the size the call would need:
    // nothing was written, and a cut path would name another file.
    if (n == 0 || n >= kShortPathBuffer) return std::string();
    return buffer.substr(0, n);
}

std::string KORVANECLASS::FilenameUtf8() const { return system_.RealPathUtf8(file_); }

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

std::string KORVANECLASS::OpenPath() const {
    // Unquoted, the open reads up to the first blank: on a volume without short names
    // the "short" form is the long one, blanks and all. No short form at all means the
    // file cannot be found, which the open then says.
    const std::string shortened = Filename();
    if (shortened.find(' ') == std::string::npos) return shortened;
    return "\"" + file_ + "\"";
}

bool KORVANECLASS::MfCommand(int command, std::int32_t value) {
    switch (command) {
        case kCmdStop: mf_->Stop(); break;
        case kCmdPlay:
        case kCmdResume: return mf_->Play();
        case kCmdPlayFrom:
            mf_->SeekTo(value);
            return mf_->Play();
        case kCmdClose: mf_->Close(); break;
        case kCmdPause: mf_->Pause(); break;
        case kCmdSpeed: DebugLine("film: the speed stays as it is under Media Foundation"); break;
        default: break;
    }
    return true;
}

bool KORVANECLASS::setCommand(int command, const std::string& drive, std::int32_t value) {
    if (MfHolds()) return MfCommand(command, value);
    // With the alias free this opens the CD drive under it; with a film
    // loaded it fails and changes nothing.
    if (SendNoReply("open " + drive + " Type cdaudio alias " + alias_ + " wait shareable") == 0)
        cdHoldsAlias_ = true;
    switch (command) {
        case kCmdStop: SendNoReply("stop " + alias_); break;
        case kCmdPlay: SendNoReply("play " + alias_); break;
        case kCmdPlayFrom:
            Query("set " + alias_ + " time format ms", kSmallBuffer);
            SendNoReply("seek " + alias_ + " to " + Num(value));
            SendNoReply("play " + alias_ + " from " + Num(value));
            break;
        case kCmdSpeed: SendNoReply("set " + alias_ + " speed " + Num(value)); break;
        case kCmdClose:
            SendNoReply("close " + alias_);
            cdHoldsAlias_ = false;
            break;
        case kCmdPause: SendNoReply("pause " + alias_ + " wait"); break;
        case kCmdResume: SendNoReply("resume " + alias_); break;
        default: break;
    }
    return true;
}

std::string KORVANECLASS::getStatusInfo(std::int32_t query) {
    if (MfHolds()) {
        switch (query) {
            case kStatusMode: return mf_->Mode();
            case kStatusPositionMs: return Num(mf_->PositionMs());
            case kStatusLengthSeconds:
                return FormatShortest(RoundHalfEven(mf_->LengthMs() / 1000.0), system_.DecimalSeparator());
            default: return std::string();
        }
    }
    std::string reply;
    switch (query) {
        case kStatusLengthFrames:
            Query("set " + alias_ + " time format frames");
            reply = Query("status " + alias_ + " length");
            break;
        case kStatusMode: reply = Query("status " + alias_ + " mode"); break;
        case kStatusPositionMs: {
            SendNoReply("set " + alias_ + " time format ms");
            double ms = LeadingNumber(Query("status " + alias_ + " position"));
            reply = Num(ToInt32(RoundHalfEven(ms)));
            break;
        }
        case kStatusTimeFormat: reply = Query("status " + alias_ + " time format"); break;
        case kStatusFrameRate: reply = Query("Status " + alias_ + " frame rate"); break;
        case kStatusSpeed: {
            double speed = LeadingNumber(Query("status " + alias_ + " speed ")) / 10;
            reply = FormatShortest(speed, system_.DecimalSeparator());
            break;
        }
        case kStatusWindowHandle: reply = Query("status " + alias_ + " window handle"); break;
        case kStatusLengthSeconds: {
            SetTimeFormat(0);
            double ms = LeadingNumber(Query("status " + alias_ + " length"));
            reply = FormatShortest(RoundHalfEven(ms / 1000), system_.DecimalSeparator());
            break;
        }
        default: break;
    }
    return TrimAtNull(reply);
}

void KORVANECLASS::SetTimeFormat(std::int32_t format) {
    switch (format) {
        case 0: SendNoReply("set " + alias_ + " time format ms wait"); break;
        case 1: SendNoReply("set " + alias_ + " time format tmsf wait"); break;
        case 2: SendNoReply("set " + alias_ + " time format frames wait"); break;
        default: break;
    }
}

std::string KORVANECLASS::LENGTHFORMAT(std::int32_t form) {
    SendNoReply("set " + alias_ + " time format milliseconds");
    std::string text;
    switch (form) {
        case 0:
        case 1: {
            double s = RoundHalfEven(LeadingNumber(Query("status " + alias_ + " length")) / 1000);
            text = form == 0 ? FormatShortest(s, system_.DecimalSeparator()) : MinutesSeconds(s);
            break;
        }
        case 2: text = Query("status " + alias_ + " length", kSmallBuffer); break;
        default: break;
    }
    return TrimAtNull(text);
}

std::string KORVANECLASS::POSFORMAT(std::int32_t form) {
    // Step by step: a step that fails is skipped and the working values keep
    // what they held, so this never throws.
    constexpr char what[] = "POSFORMAT";
    std::string text;
    double p = 0;
    auto seconds_of = [&p](const std::string& reply) {
        if (std::optional<double> ms = WholeNumber(reply)) p = RoundHalfEven(*ms / 1000);
    };
    switch (form) {
        case 0:
            Attempt(what, [&] { SendNoReply("set " + alias_ + " time format tmsf "); });
            Attempt(what, [&] { seconds_of(TrimAtNull(Query("status " + alias_ + " position"))); });
            Attempt(what, [&] { text = FormatShortest(p, system_.DecimalSeparator()); });
            break;
        case 1: {
            Attempt(what, [&] { SendNoReply("set " + alias_ + " time format milliseconds"); });
            Attempt(what, [&] { seconds_of(Query("status " + alias_ + " position")); });
            if (p < 60) {
                Attempt(what, [&] { text = "00:" + FormatTwoDigits(p); });
                break;
            }
            std::int16_t minutes = 0;
            double rest = p;
            Attempt(what, [&] { minutes = ToInt16(std::floor(p / 60)); });
            Attempt(what, [&] { rest = p - CheckedMul16(minutes, 60); });
            Attempt(what, [&] { text = FormatTwoDigits(minutes) + ":" + FormatTwoDigits(rest); });
            break;
        }
        case 2:
            Attempt(what, [&] { text = Query("status " + alias_ + " position"); });
            break;
        default: break;
    }
    return TrimAtNull(text);
}

bool KORVANECLASS::THE_ENDOFSONG(std::int32_t form) {
    if (form < 0 || form > 2) return true;
    if (MfHolds()) return mf_->AtEnd();
    std::string position = POSFORMAT(form);
    std::string length = LENGTHFORMAT(form);
    return EqualNoCase(position, length);
}

OpenResult KORVANECLASS::OpenMedia(Hwnd lngHWnd, const std::string& AliasName,
                                   const std::string& typeDevice) {
    const std::string named = "open " + OpenPath() + " type " + typeDevice + " Alias " +
                              AliasName + " parent " + Num(lngHWnd);
    // Cut inside the alias or the parent, the open would load the film under a
    // name nothing ever closes.
    abandoned_ = true;
    if (named.size() > kOpenCommandField) return OpenResult{kOpenNotSent, kPathTooLongText};
    std::string command = named + " Style " + Num(kWsChild);
    command.resize(kOpenCommandField, ' ');  // pads with blanks or cuts, as the field does
    // A CD device our own command opened would keep the alias, and the film's
    // open would then fail as "alias in use".
    if (cdHoldsAlias_) SendNoReply("close " + alias_);
    cdHoldsAlias_ = false;
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

std::string KORVANECLASS::OpenMediaFile(Hwnd parent, const std::string& alias,
                                        const std::string& type) {
    return OpenMedia(parent, alias, type).text;
}

OpenResult KORVANECLASS::PlayMEDIAFILE(std::int32_t where) {
    if (MfHolds()) {
        // Play or the loop on the open film: from the start (or where) again.
        mf_->Restart();
        if (where != 0) mf_->SeekTo(CheckedMul32(where, 1000));
        return OpenResult{kMciErrDuplicateAlias, ErrorText(kMciErrDuplicateAlias)};
    }
    const EngineChoice choice = mf_ ? mf_->Choice() : EngineChoice::mci;
    OpenResult mf_first;
    if (choice == EngineChoice::mf) {
        mf_first = PlayWithMf(where);
        if (mf_first.code == 0) return mf_first;
    }
    OpenResult opened = PlayWithMci(where);
    const bool mci_failed = opened.code != 0 && opened.code != kMciErrDuplicateAlias;
    if (choice == EngineChoice::mci || !mci_failed) return opened;
    if (choice == EngineChoice::mf) return Neither(opened, mf_first);
    // MCI's open failed: nothing is reported before Media Foundation has had the film.
    OpenResult mf_then = PlayWithMf(where);
    return mf_then.code == 0 ? mf_then : Neither(opened, mf_then);
}

OpenResult KORVANECLASS::PlayWithMf(std::int32_t where) {
    Rect rect;
    if (!system_.WindowRect(hwndParent(), rect)) rect = Rect{};
    const std::int32_t code =
        mf_->Start(FilenameUtf8(), hwndParent(), CheckedSub32(rect.right, rect.left),
                   CheckedSub32(rect.bottom, rect.top), CheckedMul32(where, 1000));
    if (code >= 0) return OpenResult{};
    return OpenResult{static_cast<std::uint32_t>(code), std::string()};
}

OpenResult KORVANECLASS::Neither(const OpenResult& mci, const OpenResult& mf) {
    const std::string codec = mf_->CodecHint(FilenameUtf8());
    const std::string why = FilmFailureText(static_cast<std::int32_t>(mf.code), file_, codec);
    return why.empty() ? mci : OpenResult{mci.code, why};
}

OpenResult KORVANECLASS::PlayWithMci(std::int32_t where) {
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

std::string KORVANECLASS::MoveVideoTo(Hwnd parent, std::int32_t left, std::int32_t top,
                                      std::int32_t& width, std::int32_t& height,
                                      std::int32_t margin) {
    if (width == 0 || height == 0) {
        Rect rect;
        if (!system_.WindowRect(parent, rect)) rect = Rect{};
        width = CheckedSub32(rect.right, rect.left);
        height = CheckedSub32(rect.bottom, rect.top);
    }
    const std::int32_t twice = CheckedMul32(2, margin);
    const std::string command = "put " + alias_ + " window at " + Num(CheckedAdd32(left, margin)) +
                                " " + Num(CheckedAdd32(top, margin)) + " " +
                                Num(CheckedSub32(width, twice)) + " " +
                                Num(CheckedSub32(height, twice));
    std::uint32_t code = SendNoReply(command);
    return code != 0 ? ErrorText(code) : kSuccess;
}

void KORVANECLASS::JumpBy(std::int32_t seconds, bool forward) {
    // The position query always answers with a 32-bit number, so this cannot miss.
    const std::int32_t pos = ToInt32(WholeNumber(getStatusInfo(kStatusPositionMs)).value_or(0));
    Query("set " + alias_ + " time format ms", kSmallBuffer);
    const std::int32_t distance = CheckedMul32(seconds, 1000);
    const std::int32_t target = forward ? CheckedAdd32(pos, distance) : CheckedSub32(pos, distance);
    SendNoReply("play " + alias_ + " from " + Num(target));
}

void KORVANECLASS::FForward(std::int32_t seconds) {
    if (MfHolds()) return mf_->JumpBy(CheckedMul32(seconds, 1000));
    JumpBy(seconds, true);
}

void KORVANECLASS::FRewind(std::int32_t seconds) {
    if (MfHolds()) return mf_->JumpBy(-CheckedMul32(seconds, 1000));
    JumpBy(seconds, false);
}

bool KORVANECLASS::SetAudioState(std::int32_t channel, std::int32_t off) {
    const char* name = nullptr;
    switch (channel) {
        case kAudioRightChannel: name = "right"; break;
        case kAudioLeftChannel: name = "left"; break;
        case kAudioAllChannels: name = "all"; break;
        default: return false;
    }
    if (MfHolds()) {
        if (channel == kAudioAllChannels) return mf_->Mute(off != 0);
        DebugLine("film: one channel alone cannot be silenced under Media Foundation");
        return false;
    }
    // MCI's answer has never changed what the menu shows.
    SendNoReply("set " + alias_ + " audio " + name + (off == 0 ? " on" : " off"));
    return true;
}

Hwnd KORVANECLASS::GetHwndDesktop() { return system_.FindWindowByTitle(kDesktopWindowTitle); }

std::int32_t KORVANECLASS::PositionMs() {
    if (MfHolds()) return mf_->PositionMs();
    return ToInt32(WholeNumber(getStatusInfo(3)).value_or(0));
}

OpenResult KORVANECLASS::ReopenAt(std::int32_t ms, bool paused) {
    if (MfHolds()) {
        Rect rect;
        if (!system_.WindowRect(hwndParent(), rect)) rect = Rect{};
        const std::int32_t code =
            mf_->MoveTo(hwndParent(), CheckedSub32(rect.right, rect.left), CheckedSub32(rect.bottom, rect.top), ms, paused);
        if (code >= 0) return OpenResult{};
        const std::string why = FilmFailureText(code, file_, std::string());
        return OpenResult{static_cast<std::uint32_t>(code), why.empty() ? "the film cannot be moved" : why};
    }
    SendNoReply("close " + alias_);
    OpenResult opened = OpenMedia(hwndParent(), AliasName(), DeviceType());
    if (opened.code != 0) return opened;
    std::int32_t width = 0, height = 0;
    MoveVideoTo(hwndParent(), 0, 0, width, height, 0);
    // The open left the device counting in milliseconds. "play from" rather than
    // a seek, which Wine's driver refuses on a film that has not played yet.
    if (SendNoReply("play " + alias_ + " from " + Num(ms)) != 0) SendNoReply("play " + alias_);
    if (paused) SendNoReply("pause " + alias_ + " wait");
    return opened;
}

void KORVANECLASS::PutWindow(std::int32_t width, std::int32_t height) {
    if (MfHolds()) return mf_->Place(width, height);
    std::int32_t w = width, h = height;
    MoveVideoTo(hwndParent(), 0, 0, w, h, 0);
}

void KORVANECLASS::PutDestination(std::int32_t width, std::int32_t height) {
    if (MfHolds()) return mf_->Place(width, height);
    SendNoReply("put " + alias_ + " destination at 0 0 " + Num(width) + " " + Num(height));
}

}  // namespace mevra

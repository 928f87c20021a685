#pragma once
// KORVANECLASS: one MCI device opened under an alias and driven only by MCI
// command strings. The film's state lives in the device, not in this object;
// two players with the same alias drive the same film. Given a Media Foundation
// engine, a film MCI cannot open (or every film, by the `Player` setting) plays
// there instead, and while it holds a film every operation goes to it.
#include <cstdint>
#include <string>
#include "base/Types.h"
#include "media/MediaApi.h"
#include "media/MediaPlayer.h"
#include "media/MfEngine.h"

namespace mevra {

// getStatusInfo's questions.
enum StatusInfo : std::int32_t {
    kStatusLengthFrames = 1,
    kStatusMode = 2,
    kStatusPositionMs = 3,
    kStatusTimeFormat = 4,
    kStatusFrameRate = 5,
    kStatusSpeed = 6,   // percent of normal speed
    kStatusWindowHandle = 7,
    kStatusLengthSeconds = 8,
};

// PlayMEDIAFILE's own outcomes, which MCI never gives: the open was not sent
// because the field would cut it inside the alias or parent, or the film opened
// but answered no status query and was closed again.
constexpr std::uint32_t kOpenNotSent = 0x10000;
inline constexpr char kPathTooLongText[] = "the path is too long to open";
inline constexpr char kNoAnswerText[] = "the film opened but does not answer, so it cannot play";

class KORVANECLASS : public MediaPlayer {
public:
    // Both adapters must outlive the player. Nothing is sent to MCI here.
    KORVANECLASS(MciApi& mci, MediaSystemApi& system, MfEngine* mf = nullptr);
    // Sends nothing: the device stays open until setCommand(kCmdClose).
    ~KORVANECLASS() override = default;

    // Fields.
    std::string AliasName() const override;
    void SetAliasName(const std::string& alias) override;
    Hwnd hwndParent() const override;
    void SethwndParent(Hwnd parent) override;
    std::string Filename() const override;  // short (8.3) form, "" when unavailable
    void SetFilename(const std::string& path) override;
    std::string FilenameUtf8() const override;
    std::string DeviceType() const;         // MCI device type by extension

    // Playback commands, each preceded by the CD-audio open.
    bool setCommand(int command, const std::string& drive = "", std::int32_t value = 0) override;

    // Status queries and time formats. Forms: 0 seconds, 1 "mm:ss", 2 as MCI answers.
    std::string getStatusInfo(std::int32_t query);  // throws OverflowError (kStatusPositionMs)
    void SetTimeFormat(std::int32_t format);        // 0 ms, 1 tmsf, 2 frames
    std::string LENGTHFORMAT(std::int32_t form);    // throws OverflowError (form 1)
    std::string POSFORMAT(std::int32_t form);       // never throws
    bool THE_ENDOFSONG(std::int32_t form) override;

    // Opening, placing, seeking and audio.
    std::string OpenMediaFile(Hwnd parent, const std::string& alias, const std::string& type);
    OpenResult PlayMEDIAFILE(std::int32_t where = 0) override;
    // Measures parent when either size is 0 and stores the measured sizes back.
    std::string MoveVideoTo(Hwnd parent, std::int32_t left, std::int32_t top, std::int32_t& width,
                            std::int32_t& height, std::int32_t margin = 0);
    void FForward(std::int32_t seconds) override;
    void FRewind(std::int32_t seconds) override;
    bool SetAudioState(std::int32_t channel, std::int32_t off) override;
    Hwnd GetHwndDesktop();

    // Moving the film to another desktop window.
    std::int32_t PositionMs() override;
    OpenResult ReopenAt(std::int32_t ms, bool paused) override;
    void PutWindow(std::int32_t width, std::int32_t height) override;
    void PutDestination(std::int32_t width, std::int32_t height) override;

private:
    OpenResult OpenMedia(Hwnd lngHWnd, const std::string& AliasName,
                         const std::string& typeDevice);
    void JumpBy(std::int32_t seconds, bool forward);  // FForward / FRewind
    OpenResult PlayWithMci(std::int32_t where);
    // The film through Media Foundation; the result's code is the HRESULT then.
    OpenResult PlayWithMf(std::int32_t where);
    // When neither engine plays the film: the reason a user can act on, else MCI's.
    OpenResult Neither(const OpenResult& mci, const OpenResult& mf);
    bool MfHolds() const { return mf_ && mf_->Holds(); }
    bool MfCommand(int command, std::int32_t value);
    std::string OpenPath() const;  // the path as the open command carries it
    std::uint32_t SendNoReply(const std::string& command);
    static constexpr std::uint32_t kStatusReply = 256;  // status replies, filled with NULs
    std::string Query(const std::string& command, std::uint32_t buffer_size = kStatusReply);
    std::string ErrorText(std::uint32_t code);
    std::uint32_t last_query_code_ = 0;  // the MCI result of the last Query
    bool abandoned_ = false;             // the last open was not sent, or closed again
    bool cdHoldsAlias_ = false;          // our CD-audio open took the free alias

    MciApi& mci_;
    MediaSystemApi& system_;
    MfEngine* mf_;
    std::string alias_;
    std::string file_;
    Hwnd parent_ = 0;
};

}  // namespace mevra

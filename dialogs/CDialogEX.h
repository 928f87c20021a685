#pragma once
// CDialogEX: the open-media dialog. The portable half keeps the module state
// (filter, dialog record, banner and height, the last accepted path) and the
// rules around the Windows call; comdlg32 and the restyling hook sit behind
// FileDialogApi (CDialogEX_win.h).
#include <cstdint>
#include <optional>
#include <string>
#include "base/Types.h"

namespace mevra {

// OPENFILENAME flags the dialog is run with.
constexpr std::uint32_t kOfnHideReadOnly = 0x4;
constexpr std::uint32_t kOfnEnableHook = 0x20;
constexpr std::uint32_t kOfnFileMustExist = 0x1000;
constexpr std::uint32_t kOfnExplorer = 0x80000;
constexpr std::uint32_t kOpenDialogFlags =
    kOfnExplorer | kOfnFileMustExist | kOfnEnableHook | kOfnHideReadOnly;  // 0x81024

constexpr std::size_t kFileBufferChars = 260;  // lpstrFile's buffer
constexpr std::uint32_t kMaxFile = 255;        // nMaxFile: a longer path makes the call fail
constexpr std::uint32_t kMaxFileTitle = 255;

// The fields of the ANSI OPENFILENAME record that the program sets. It lives as
// long as its CDialogEX, so nFilterIndex keeps what the last dialog returned.
struct OpenFileRecord {
    Hwnd hwndOwner = 0;
    std::string filter;              // pairs ended by NULs, the list by a further NUL
    std::uint32_t nFilterIndex = 0;  // never set by ShowOpen
    std::string file;                // kFileBufferChars characters, NUL padded
    std::uint32_t nMaxFile = 0;
    std::uint32_t nMaxFileTitle = 0;
    std::optional<std::string> initialDir;
    std::string title;
    std::uint32_t flags = 0;
};

// What the hook needs to restyle the dialog, in pixels at 96 dpi.
struct DialogLayout {
    Hwnd banner = 0;             // the window lent to the dialog as its banner panel
    std::int32_t bannerLeft = 0;  // measured from the dialog's outer top-left corner
    std::int32_t bannerTop = 0;
    std::int32_t height = 0;     // outer height given to the dialog
};

// comdlg32: runs GetOpenFileNameA with the record and the restyling hook. On
// return, record.file and record.nFilterIndex hold what the dialog left there.
class FileDialogApi {
public:
    virtual ~FileDialogApi() = default;
    virtual bool RunOpenDialog(OpenFileRecord& record, const DialogLayout& layout) = 0;
};

// The dialog as the Open command sees it.
class OpenDialog {
public:
    virtual ~OpenDialog() = default;
    virtual void SetFilter(const std::string& filter) = 0;
    virtual void SetPreviewWindow(Hwnd window, std::int32_t left, std::int32_t top) = 0;
    virtual void SetDialogHeight(std::int32_t height) = 0;
    // Modal. An accepted file lands in LastOpenedFile; a cancel leaves it alone.
    virtual void ShowOpen(Hwnd owner, const std::string& initialFile,
                          const std::optional<std::string>& initialDir,
                          const std::string& title) = 0;
    virtual std::string LastOpenedFile() const = 0;
};

class CDialogEX final : public OpenDialog {
public:
    explicit CDialogEX(FileDialogApi& api) : api_(api) {}

    void SetFilter(const std::string& filter) override { filter_ = filter; }
    void SetPreviewWindow(Hwnd window, std::int32_t left, std::int32_t top) override;
    void SetDialogHeight(std::int32_t height) override { layout_.height = height; }
    void ShowOpen(Hwnd owner, const std::string& initialFile,
                  const std::optional<std::string>& initialDir,
                  const std::string& title) override;
    std::string LastOpenedFile() const override { return lastOpenedFile_; }

    std::string BuildFilter() const;
    const OpenFileRecord& Record() const { return record_; }
    const DialogLayout& Layout() const { return layout_; }

private:
    FileDialogApi& api_;
    std::string filter_;
    OpenFileRecord record_;
    DialogLayout layout_;
    std::string lastOpenedFile_;
};

// The filter with every '|' turned into a NUL, and two NULs appended.
std::string BuildFilter(const std::string& filter);

// The path in a file buffer Windows filled: cut at the first NUL, blanks
// removed at both ends.
std::string ChosenPath(const std::string& fileBuffer);

// One coordinate that centres a window the way the dialog has always been
// centred: the screen measured in twips and divided by 15, so the result is
// exact at 96 dpi and drifts at other resolutions. Halves round to even.
// Throws OverflowError when the result does not fit 32 bits.
std::int32_t CentredCoordinate(std::int32_t screenPixels, std::int32_t dpi,
                               std::int32_t windowSize);
// A window's coordinate moved just far enough that the window stays on a screen that
// size; a window larger than the screen keeps its start at 0.
std::int32_t KeptOnScreen(std::int32_t at, std::int32_t windowSize, std::int32_t screenPixels);

// The banner's place and the dialog's height at dpi, from the dialog's outer top-left
// corner: the design place scaled, moved below the lowest of the dialog's own
// controls (controlsBottom) should they reach it, and the dialog high enough for the
// banner and the design's margin under it. bannerHeight96 is the banner's design height.
struct BannerPlacement {
    std::int32_t left = 0, top = 0, dialogHeight = 0;
};
BannerPlacement PlaceBanner(const DialogLayout& design, std::int32_t dpi,
                            std::int32_t controlsBottom, std::int32_t bannerHeight96,
                            std::int32_t bannerHeight);

}  // namespace mevra

#pragma once
// The open dialog's Win32 side: GetOpenFileNameA with the hook that restyles
// the Explorer-style dialog (labels, a fixed "Open" button, the lent banner,
// a tool-window caption, the height and the centring).
#include <windows.h>
#include <commdlg.h>
#include <memory>
#include "dialogs/CDialogEX.h"

namespace mevra {

// Control ids of the common dialog that the hook relabels.
constexpr int kStc2TypeLabel = 1089;    // "Type of file:"
constexpr int kStc3NameLabel = 1090;    // "Name of file:"
constexpr int kStc4PlaceLabel = 1091;   // "Place:"
constexpr int kBannerControlId = 0x6000;  // the banner's id while it sits in the dialog
constexpr int kButtonShift = 7;

struct OpenDialogState;

class Win32FileDialogApi final : public FileDialogApi {
public:
    Win32FileDialogApi();
    ~Win32FileDialogApi() override;
    Win32FileDialogApi(const Win32FileDialogApi&) = delete;
    Win32FileDialogApi& operator=(const Win32FileDialogApi&) = delete;

    bool RunOpenDialog(OpenFileRecord& record, const DialogLayout& layout) override;
    // The ANSI record of the last dialog (76 bytes in the 32-bit program), kept
    // as long as the adapter.
    const OPENFILENAMEA& LastRecord() const;

private:
    std::unique_ptr<OpenDialogState> state_;
};

UINT_PTR CALLBACK OpenDialogHook(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK OpenButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Gives the dialog (hwnd's parent) a tool-window caption and moves every
// direct "Button" child 7 pixels right, one pixel narrower.
void AdjustDialogControls(HWND hwnd);
// ORs bits into (set) or masks them out of the window's style or extended
// style, then has the frame redrawn.
void SetWindowStyleBits(HWND hwnd, bool extended, LONG_PTR bits, bool set);

}  // namespace mevra

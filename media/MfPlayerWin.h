#pragma once
// The Media Foundation adapter (media/MfPlayer_win.cpp): MFPlay from mfplay.dll and
// mfplat.dll, found at run time. Windows builds only.
#include "media/MediaApi.h"
#include "media/MfEngine.h"

namespace mevra {

FilmPlayerApi& Win32FilmPlayer();
// The process's one engine, its choice read from the `Player` setting on first use.
MfEngine& SharedMfEngine();

}  // namespace mevra

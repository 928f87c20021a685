#pragma once
// The Media Foundation adapter (media/MfPlayer_win.cpp): MFPlay from mfplay.dll and
// mfplat.dll, found at run time. Windows builds only.
#include "media/MediaApi.h"
#include "media/MfEngine.h"

namespace mevra {

FilmPlayerApi& Win32FilmPlayer();
// Media Foundation objects of the adapter's alive now (player, its event sink, the film
// window, the MFStartup it holds): 0 once a film is closed.
int LiveMfObjects();
// The process's one engine, its choice read from the `Player` setting on first use.
MfEngine& SharedMfEngine();

}  // namespace mevra

#pragma once
// The render thread: it makes the renders the sources ask for (source/RenderBoard.h), below
// normal priority so the host's video and encoder threads come first, and never waits on the
// companion or the host. LoadPlugin starts it (Start), so no frame makes a thread; a request that
// finds none (it could not be made then) makes it. UnloadPlugin ends it. Every function takes
// the thread's lock for a few steps of bookkeeping only, never for a render.
#include <windows.h>

#include "source/RenderBoard.h"

namespace render {

// Makes the thread unless it runs. Throws when it cannot be made.
void Start();

void Join(RenderBoard::Client& client);
void Leave(RenderBoard::Client& client) noexcept;
// The client wants `inputs` rendered (RenderBoard::Want); wakes the thread, which is made when
// there is none. Throws when it cannot be made.
void Want(RenderBoard::Client& client, const RenderInputs& inputs);
void Withdraw(RenderBoard::Client& client) noexcept;
ImageRef Take(RenderBoard::Client& client) noexcept;

// Ends the thread after the render in progress: asks it to, then waits until `deadline`
// (GetTickCount64). Whether it ended; one that did not holds the plugin's module until it does.
bool RequestStop() noexcept;
bool WaitUntil(ULONGLONG deadline) noexcept;
// No render is being made and none waits to be.
bool Idle() noexcept;
// Finished renders held for the sources (RenderBoard::ImagesHeld).
std::size_t ImagesHeld();

}  // namespace render

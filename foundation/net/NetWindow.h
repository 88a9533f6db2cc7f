// The hidden windows that receive socket events: one window class and one
// registered socket message for the whole process, message-only windows, and
// the process's map from socket to the window that receives its events.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <vector>

namespace FdNet
{

class CNetAsync;

namespace NetWindow
{

// Message that carries socket events (registered once; 1690 when that fails).
UINT uSocketMessage();

// A message-only, disabled window on the calling thread whose messages go to
// the object's lOnWindowMessage. Null when it cannot be created.
HWND hCreate(CNetAsync* lpOwner, HINSTANCE hInstance);

// Detaches the window from its object at once; destroys it now on its own
// thread (pending messages for it are dropped), otherwise asks its thread to.
void vDestroy(HWND hWnd);

void vMapSocket(SOCKET s, HWND hWnd);
void vUnmapSocket(SOCKET s);
std::vector<SOCKET> SocketsOf(HWND hWnd);

} // namespace NetWindow
} // namespace FdNet

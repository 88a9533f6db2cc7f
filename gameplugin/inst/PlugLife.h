#pragma once
// The library's life beside the browser: the first start creates the plug-in's
// logger (as HKLM "Software\FdGame" asks) and runs the process-wide start of
// the instance; the last stop ends the logger. Called from the browser's
// threads (NP_Initialize, NP_Shutdown, a control's creation and release),
// never from DllMain: the logger's timer thread can neither start nor be
// joined under the loader lock.
namespace PlugLife
{
void vStart();
void vStop();
} // namespace PlugLife

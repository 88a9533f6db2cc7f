#pragma once
// The plug-in's one decryption object (keys "Key0" and "Key1" of HKLM "Software\FdGame").
class CSecurity;

CSecurity& PlugSecurity();

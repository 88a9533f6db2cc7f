// How the engine's portable parts show a message to the user: the Windows side
// passes a function that opens a message box; tests record the texts.
#pragma once

#include <functional>
#include <string>

// (text, caption)
using ScriptAlert = std::function<void(const std::string& text, const std::string& caption)>;

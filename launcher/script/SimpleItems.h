// The portable simple item kinds: "quit", "ssjump", "msgbox", "browse", "pwdgen",
// "loadscript", "fileop", "regop".
#pragma once

#include <memory>
#include <string>

#include "ScriptItem.h"

// The item of a factory keyword, or null for a kind not built here.
std::unique_ptr<CScriptItem> NewSimpleItem(const std::string& keyword);

std::unique_ptr<CScriptItem> NewItemLoadScript();
std::unique_ptr<CScriptItem> NewItemFileOp();
std::unique_ptr<CScriptItem> NewItemRegOp();

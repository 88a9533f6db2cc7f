// The chat's variables: "%name%" replaced by its value and "%%name%%" by its
// URL-encoded value, context variables, form fields, room-key checksums and
// page variables. The expansion is one pass from left to right: an inserted
// value is never scanned again.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ChatModel
{

// Every "%" + name + "%" by the URL-encoded value, then every name by the
// value, both without rescanning what was inserted.
std::string strReplaceVariable(const std::string& text, const std::string& name, const std::string& value);

// "%" + name + "%" (case-insensitive) by the number, "%" + name + "*" +
// digits + "%" by the product; other occurrences stay.
std::string strReplaceNumberVariable(const std::string& text, const std::string& name, long number);
// "%paramval::name::%" by the attribute of the tag text ("%%...%%": encoded).
std::string strExpandParamVals(const std::string& text, const std::string& tagText);

// The names of the fixed variables, with their percent signs, in the order
// the chat replaces them.
const std::vector<std::string>& FixedVariableNames();

struct VarSources
{
    // A fixed variable's value; false leaves the token in place. Asked only
    // for names that the text holds.
    std::function<bool(const std::string& name, std::string& value)> fixed;
    const std::vector<std::string>* context = nullptr;
    // "%field|spec%": false leaves it (no view).
    std::function<bool(const std::string& spec, std::string& value)> field;
    // "%fcs|room%" or "%fcs|room|key%" (key null when absent): false leaves it.
    std::function<bool(const std::string& room, const std::string* key, std::string& value)> checksum;
    // "%var::name::%": the page variable, empty when unknown.
    std::function<std::string(const std::string& name)> pageVar;
};

std::string strExpandVars(const std::string& text, const VarSources& sources);

} // namespace ChatModel

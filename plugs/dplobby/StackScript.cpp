#include "StackScript.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>

bool boScanDecimal(const std::string& token, int32_t& value)
{
    size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-'))
        negative = token[i++] == '-';
    if (i >= token.size() || token[i] < '0' || token[i] > '9')
        return false;
    int64_t v = 0;
    for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i)
    {
        v = v * 10 + (token[i] - '0');
        if (v > int64_t(std::numeric_limits<int32_t>::max()) + 1)
            v = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    }
    if (negative)
        v = -v;
    if (v > std::numeric_limits<int32_t>::max())
        v = std::numeric_limits<int32_t>::max();
    value = static_cast<int32_t>(v);
    return true;
}

CStackScript::CStackScript() : m_system(kVariableCount) {}

bool CStackScript::boLoadProgram(const std::string& text)
{
    m_tokens.clear();
    m_labels.clear();
    if (text.size() > kMaxProgramBytes)
    {
        vError("Programme trop long : %u\n", static_cast<unsigned>(text.size()));
        return false;
    }
    static const char kSeparators[] = " \n\t\r";
    size_t pos = text.find_first_not_of(kSeparators);
    while (pos != std::string::npos)
    {
        const size_t end = text.find_first_of(kSeparators, pos);
        m_tokens.push_back(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        pos = end == std::string::npos ? end : text.find_first_not_of(kSeparators, end);
    }
    return true;
}

void CStackScript::vSetSystemVar(int32_t index, const CScriptValue& value)
{
    if (index >= 0 && index < kVariableCount)
        m_system[static_cast<size_t>(index)] = value;
}

CScriptValue CStackScript::GetSystemVar(int32_t index) const
{
    if (index < 0 || index >= kVariableCount)
        return {};
    return m_system[static_cast<size_t>(index)];
}

void CStackScript::vError(const char* format, ...)
{
    char buffer[kMaxErrorChars + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (m_errorSink)
        m_errorSink(buffer);
}

void CStackScript::vFindLabels()
{
    m_labels.clear();
    for (size_t i = 0; i < m_tokens.size(); ++i)
    {
        if (m_tokens[i] != ":")
            continue;
        int32_t label = 0;
        // A ":" that opens the program has no number before it.
        if (i == 0 || !boScanDecimal(m_tokens[i - 1], label))
        {
            vError("Erreur d'étiquette à la position %d\n", static_cast<int>(i));
            continue;
        }
        m_labels.emplace(label, i + 1); // the first definition wins
    }
}

CScriptValue CStackScript::PopValue()
{
    if (m_stack.empty())
    {
        vError("Pile vide !\n");
        return CScriptValue::Integer(-1);
    }
    CScriptValue value = std::move(m_stack.back());
    m_stack.pop_back();
    return value;
}

int32_t CStackScript::PopInteger()
{
    if (m_stack.empty())
    {
        vError("Pile vide !\n");
        return -1;
    }
    CScriptValue value = std::move(m_stack.back());
    m_stack.pop_back();
    if (value.type != kScriptInteger)
    {
        vError("Ce n'est pas un entier.\n");
        return -1;
    }
    return value.integer;
}

bool CStackScript::boJump(int32_t label, size_t& next)
{
    auto it = m_labels.find(label);
    if (it == m_labels.end())
    {
        vError("Etiquette invalide : %d\n", label);
        return false;
    }
    next = it->second;
    return true;
}

void CStackScript::vLoad(const uint8_t* input, size_t size)
{
    const int32_t type = PopInteger();
    const int32_t count = PopInteger();
    const int32_t offset = PopInteger();
    if (type < 1 || type > 3)
        return;
    // The data comes from the game: a read outside it is refused, not performed.
    if (offset < 0 || count < 0 || static_cast<uint64_t>(offset) + static_cast<uint64_t>(count) > size ||
        (count > 0 && input == nullptr))
    {
        vError("Lecture hors des données : %d %d\n", offset, count);
        return;
    }
    const uint8_t* p = input + offset;
    if (type == 1)
    {
        m_stack.push_back(
            CScriptValue::Text(std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(count))));
        return;
    }
    uint32_t value = 0;
    for (int32_t k = 0; k < count; ++k)
    {
        if (type == 2)
            value += static_cast<uint32_t>(p[k]) << ((8u * static_cast<uint32_t>(k)) % 32u);
        else
            value = value * 256u + p[k];
    }
    m_stack.push_back(CScriptValue::Integer(static_cast<int32_t>(value)));
}

void CStackScript::vEmit()
{
    const CScriptValue value = PopValue();
    const int32_t number = PopInteger();
    std::string line = std::to_string(number) + "=";
    switch (value.type)
    {
    case kScriptBinary:
        line += "B" + value.text;
        break;
    case kScriptText:
        line += "T" + value.text;
        break;
    case kScriptInteger:
        line += "E" + std::to_string(value.integer);
        break;
    default:
        line += "(vide)";
        break;
    }
    m_outputs.push_back(std::move(line));
}

void CStackScript::vRun(const uint8_t* input, size_t size)
{
    vFindLabels();
    std::vector<CScriptValue> locals(kVariableCount);
    // Checks a variable number (1 to 100); an invalid one ends the run.
    auto variable = [this](int32_t n, bool system, size_t& index)
    {
        if (n < 1 || n > kVariableCount)
        {
            const int32_t shown = static_cast<int32_t>(static_cast<uint32_t>(n) - 1u);
            if (system)
                vError("Erreur, variable systeme invalide : %d\n", shown);
            else
                vError("Erreur, variable invalide : %d\n", shown);
            return false;
        }
        index = static_cast<size_t>(n - 1);
        return true;
    };
    uint32_t steps = 0;
    for (size_t pc = 0; pc < m_tokens.size();)
    {
        if (++steps > kMaxSteps)
        {
            vError("Trop d'instructions : %u\n", static_cast<unsigned>(kMaxSteps));
            return;
        }
        const std::string& token = m_tokens[pc];
        size_t next = pc + 1;
        size_t index = 0;
        if (token == "LD")
            vLoad(input, size);
        else if (token == "TI" || token == "TD")
        {
            const int32_t label = PopInteger();
            const int32_t a = PopInteger();
            const int32_t b = PopInteger();
            if (token == "TI" ? b < a : b != a)
                boJump(label, next);
        }
        else if (token == "EP")
            vEmit();
        else if (token == "EV" || token == "ES" || token == "EW")
        {
            const int32_t n = PopInteger();
            CScriptValue value = PopValue();
            const bool system = token == "ES";
            if (!variable(n, system, index))
                return;
            if (token == "EW")
                m_stack.push_back(value);
            (system ? m_system : locals)[index] = std::move(value);
        }
        else if (token == "LV" || token == "LS")
        {
            const int32_t n = PopInteger();
            const bool system = token == "LS";
            if (!variable(n, system, index))
                return;
            m_stack.push_back((system ? m_system : locals)[index]);
        }
        else if (token == "AD" || token == "SO")
        {
            const uint32_t a = static_cast<uint32_t>(PopInteger());
            const uint32_t b = static_cast<uint32_t>(PopInteger());
            m_stack.push_back(CScriptValue::Integer(static_cast<int32_t>(token == "AD" ? b + a : b - a)));
        }
        else if (token == "S")
            boJump(PopInteger(), next);
        else if (token == "PA")
        {
            // A pause for a debugger: nothing to do in a running plug.
        }
        else
        {
            int32_t value = 0;
            if (boScanDecimal(token, value))
                m_stack.push_back(CScriptValue::Integer(value));
            else
                vError("Instruction incorrecte : %s\n", token.c_str());
        }
        pc = next;
    }
}

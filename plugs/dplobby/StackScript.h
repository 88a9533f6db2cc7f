// CStackScript: the small stack machine that turns the binary data a lobbied game
// reports into numbered result lines. The program (the game's "resultscript") reads
// fields of the data, compares and jumps, keeps values in variables and emits lines.
// Errors never stop the caller: they go to the error sink and the run goes on, except
// where noted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

enum : int32_t
{
    kScriptEmpty = -1, // a new value
    kScriptBinary = 0, // known to the output step only
    kScriptText = 1,
    kScriptInteger = 4,
};

struct CScriptValue
{
    int32_t type = kScriptEmpty;
    int32_t integer = 0;
    std::string text;

    static CScriptValue Integer(int32_t value) { return {kScriptInteger, value, {}}; }
    static CScriptValue Text(std::string value) { return {kScriptText, 0, std::move(value)}; }
};

class CStackScript
{
public:
    static constexpr size_t kMaxProgramBytes = 10000;
    static constexpr int32_t kVariableCount = 100;
    // Steps of one run: a program that jumps back for ever ends here.
    static constexpr uint32_t kMaxSteps = 100000;
    // Longest error message handed to the sink.
    static constexpr size_t kMaxErrorChars = 1000;

    using ErrorSink = std::function<void(const std::string& message)>;

    CStackScript();

    // Splits the text at " \n\t\r" into the token list. False (and no program) when the
    // text is longer than kMaxProgramBytes.
    bool boLoadProgram(const std::string& text);
    // index 0 to 99; others are ignored.
    void vSetSystemVar(int32_t index, const CScriptValue& value);
    // A copy of system variable index; an empty value outside 0 to 99.
    CScriptValue GetSystemVar(int32_t index) const;
    // Runs the program over size bytes of input (borrowed for the run); the emitted
    // lines are appended to the output list.
    void vRun(const uint8_t* input, size_t size);

    const std::vector<std::string>& Outputs() const { return m_outputs; }
    void vClearOutputs() { m_outputs.clear(); }
    // Top last.
    const std::vector<CScriptValue>& Stack() const { return m_stack; }
    // Where errors go (the Windows plug: the debugger output).
    void vSetErrorSink(ErrorSink sink) { m_errorSink = std::move(sink); }

private:
    void vError(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    void vFindLabels();
    CScriptValue PopValue();
    int32_t PopInteger();
    // Moves the counter to the label's token; false (reported) when it is undefined.
    bool boJump(int32_t label, size_t& next);
    void vLoad(const uint8_t* input, size_t size);
    void vEmit();

    std::vector<std::string> m_tokens;
    std::map<int32_t, size_t> m_labels;
    std::vector<CScriptValue> m_stack;
    std::vector<CScriptValue> m_system;
    std::vector<std::string> m_outputs;
    ErrorSink m_errorSink;
};

// Reads a token as scanf's "%d" would: optional sign, at least one digit, anything
// after the digits ignored. Values beyond 32 bits saturate.
bool boScanDecimal(const std::string& token, int32_t& value);

#include "StackScript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
struct SRun
{
    std::vector<CScriptValue> stack;
    std::vector<std::string> outputs;
    std::vector<std::string> errors;
};

SRun RunProgram(const std::string& program, const std::vector<uint8_t>& input = {})
{
    SRun run;
    CStackScript script;
    script.vSetErrorSink([&run](const std::string& e) { run.errors.push_back(e); });
    script.boLoadProgram(program);
    script.vRun(input.data(), input.size());
    run.stack = script.Stack();
    run.outputs = script.Outputs();
    return run;
}

std::string StackText(const std::vector<CScriptValue>& stack)
{
    std::string text;
    for (const CScriptValue& v : stack)
    {
        if (!text.empty())
            text += ' ';
        text += v.type == kScriptInteger ? std::to_string(v.integer)
                : v.type == kScriptText  ? "'" + v.text + "'"
                                         : "?";
    }
    return text;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line;
    return text;
}

const std::vector<uint8_t> kData = {0x01, 0x02, 0x03, 0x04, 'a', 'b'};

struct SCase
{
    const char* program;
    const char* stack;   // values left, bottom first
    const char* outputs; // emitted lines, joined
    const char* errors;  // error messages, joined
};

// clang-format off
const SCase kCases[] = {
    {"1 2 AD", "3", "", ""},
    {"7 1 2 SO", "7 -1", "", ""},
    {"5 1 EV 1 LV", "5", "", ""},
    {"3 12 EP", "", "3=E12", ""},
    {"0 4 2 LD", "67305985", "", ""},                 // 0x04030201, little-endian
    {"0 4 3 LD", "16909060", "", ""},                 // 0x01020304, big-endian
    {"4 2 1 LD", "'ab'", "", ""},
    {"0 2 9 LD", "", "", ""},                         // unknown type: nothing
    {"2147483647 1 AD", "-2147483648", "", ""},       // sums wrap in 32 bits
    {"9 S 1", "1", "", "Etiquette invalide : 9\n"},
    {"5 0 EV", "", "", "Erreur, variable invalide : -1\n"},
    {"5 101 ES", "", "", "Erreur, variable systeme invalide : 100\n"},
    {"0 LV 7", "", "", "Erreur, variable invalide : -1\n"},  // the run ends
    {"AD", "-2", "", "Pile vide !\nPile vide !\n"},
    {"XY 1", "1", "", "Instruction incorrecte : XY\n"},
    {": 1", "1", "", "Erreur d'\xE9tiquette \xE0 la position 0\nInstruction incorrecte : :\n"},
    {"1 0 9 TI 7", "7", "", ""},                      // 1 < 0 is false
    {"0 1 3 TI 5 3 : 6", "6", "", ""},                // 0 < 1: jumps over 5
    {"4 4 3 TD 5 3 : 6", "5 3 6", "", "Instruction incorrecte : :\n"},
    {"PA 4", "4", "", ""},                            // no debugger break
    {"5 EP", "", "-1=E5", "Pile vide !\n"},
};
// clang-format on
} // namespace

TEST(StackScript, Table)
{
    for (const SCase& c : kCases)
    {
        SCOPED_TRACE(c.program);
        SRun run = RunProgram(c.program, kData);
        EXPECT_EQ(StackText(run.stack), c.stack);
        EXPECT_EQ(Joined(run.outputs), c.outputs);
        EXPECT_EQ(Joined(run.errors), c.errors);
    }
}

TEST(StackScript, LoadRefusesReadsOutsideTheInput)
{
    // offset + count beyond the data, a negative offset and a negative count.
    for (const char* program : {"3 4 2 LD", "-1 2 1 LD", "0 -1 1 LD", "6 1 1 LD"})
    {
        SCOPED_TRACE(program);
        SRun run = RunProgram(program, kData);
        EXPECT_TRUE(run.stack.empty());
        ASSERT_EQ(run.errors.size(), 1u);
        EXPECT_EQ(run.errors[0].rfind("Lecture hors des donn", 0), 0u);
    }
    // The last byte is inside; an empty read at the end is too.
    EXPECT_EQ(StackText(RunProgram("5 1 2 LD", kData).stack), "98");
    EXPECT_EQ(StackText(RunProgram("6 0 2 LD", kData).stack), "0");
}

TEST(StackScript, JumpsAndLabels)
{
    // Counts 3 down to 0 in local 1, emitting each value: labels are numbers before ":".
    SRun run = RunProgram("3 1 EV 10 : 1 1 LV EP 1 LV 1 SO 1 EW 0 10 TD", kData);
    EXPECT_EQ(Joined(run.outputs), "1=E31=E21=E1");
    EXPECT_EQ(StackText(run.stack), "10"); // the label number, pushed once
    // A label defined twice keeps its first target.
    run = RunProgram("2 : 5 3 S 3 : 6 3 : 7", kData);
    EXPECT_EQ(StackText(run.stack), "2 5 6 3 7");
    // Empty values are pushed and emitted as they are.
    run = RunProgram("1 LS 3 LV EP", kData);
    EXPECT_EQ(Joined(run.outputs), "-1=(vide)");
}

TEST(StackScript, RunawayJumpsEndAtTheStepBudget)
{
    SRun run = RunProgram("1 : 1 S", kData);
    ASSERT_FALSE(run.errors.empty());
    EXPECT_EQ(run.errors.back().rfind("Trop d'instructions", 0), 0u);
}

TEST(StackScript, SystemVariablesPersistAcrossRuns)
{
    CStackScript script;
    script.boLoadProgram("1 LS 1 AD 2 ES");
    script.vSetSystemVar(0, CScriptValue::Integer(41));
    script.vSetSystemVar(100, CScriptValue::Integer(1)); // ignored
    script.vRun(nullptr, 0);
    EXPECT_EQ(script.GetSystemVar(1).integer, 42);
    EXPECT_EQ(script.GetSystemVar(0).integer, 41);
    EXPECT_EQ(script.GetSystemVar(100).type, kScriptEmpty);
}

TEST(StackScript, ProgramLength)
{
    CStackScript script;
    EXPECT_TRUE(script.boLoadProgram(std::string(CStackScript::kMaxProgramBytes, ' ')));
    EXPECT_FALSE(script.boLoadProgram(std::string(CStackScript::kMaxProgramBytes + 1, ' ')));
    // Runs of separators give no empty tokens.
    script.boLoadProgram(" \t1\r\n\n 2  AD ");
    script.vRun(nullptr, 0);
    ASSERT_EQ(script.Stack().size(), 1u);
    EXPECT_EQ(script.Stack()[0].integer, 3);
}

#include "AssocParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using FdMisc::CAssocParser;

namespace
{

struct Record
{
    std::string name, value;
};

// Reads every record; returns the final result and fills the records read before it.
int ReadAll(CAssocParser& p, const std::string& msg, std::vector<Record>* out)
{
    p.vSetMessage(msg.data(), (uint32_t)msg.size());
    for (int guard = 0; guard < 1000; ++guard)
    {
        const char *n = nullptr, *v = nullptr;
        uint32_t nl = 0xDEAD, vl = 0xBEEF;
        const int r = p.iGetNext(&n, &nl, &v, &vl);
        if (r != CAssocParser::kRecord)
            return r;
        out->push_back({std::string(n, nl), std::string(v, vl)});
    }
    return -1;
}

std::string Binary(uint32_t n, uint32_t v)
{
    const uint32_t w = n << 24 | (v & 0xFFFFFF);
    return std::string{(char)(w & 0xFF), (char)(w >> 8 & 0xFF), (char)(w >> 16 & 0xFF), (char)(w >> 24)};
}

} // namespace

TEST(AssocParser, TextRecordThenEnd)
{
    CAssocParser p(CAssocParser::kText);
    std::vector<Record> recs;
    EXPECT_EQ(ReadAll(p, "0009CMD=SEND;", &recs), CAssocParser::kEnd);
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].name, "CMD");
    EXPECT_EQ(recs[0].value, "SEND");
    EXPECT_EQ(p.ulGetConsumed(), 13u);
    EXPECT_EQ(p.GetError().dwGetCode(), 0u);
}

TEST(AssocParser, TextRecordsInSequence)
{
    struct Case
    {
        const char* msg;
        std::vector<Record> want;
    };
    const Case cases[] = {
        {"", {}},
        {"0002=;", {{"", ""}}},
        {"0003A=;0003=B;", {{"A", ""}, {"", "B"}}},
        {"000aKEY=a=b=c;", {{"KEY", "a=b=c"}}},
        {"000Ax=12345678", {{"x", "1234567"}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.msg);
        CAssocParser p(CAssocParser::kText);
        std::vector<Record> recs;
        EXPECT_EQ(ReadAll(p, c.msg, &recs), CAssocParser::kEnd);
        ASSERT_EQ(recs.size(), c.want.size());
        for (size_t i = 0; i < recs.size(); ++i)
        {
            EXPECT_EQ(recs[i].name, c.want[i].name);
            EXPECT_EQ(recs[i].value, c.want[i].value);
        }
    }
}

TEST(AssocParser, BinaryRecords)
{
    CAssocParser p(CAssocParser::kBinary);
    std::vector<Record> recs;
    const std::string msg = Binary(4, 5) + "CMD=SEND;" + Binary(1, 1) + "=;";
    EXPECT_EQ(ReadAll(p, msg, &recs), CAssocParser::kEnd);
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(recs[0].name, "CMD");
    EXPECT_EQ(recs[0].value, "SEND");
    EXPECT_EQ(recs[1].name, "");
    EXPECT_EQ(recs[1].value, "");
    EXPECT_EQ(p.ulGetConsumed(), msg.size());
}

TEST(AssocParser, ErrorsOfEveryCode)
{
    struct Case
    {
        int mode;
        std::string msg;
        size_t records; // read before the error
        uint32_t code;
        uint32_t consumed; // where the cursor stays
    };
    const Case cases[] = {
        {0, "00G1A=B;", 0, 26000, 0},
        {0, "0003A=;00 3", 1, 26000, 7},
        {0, "000", 0, 26001, 0},
        {0, "0003A=;00", 1, 26001, 7},
        {0, "0009CMD=SEND", 0, 26002, 4},
        {0, "FFFFx=y;", 0, 26002, 4},
        {0, "0004ABCD", 0, 26004, 4},
        {0, "0004ABC=", 0, 26004, 4}, // "=" in the end character's place: no value length of -1
        {0, "0000", 0, 26004, 4},
        {0, "0001=", 0, 26004, 4},
        {1, "\x05", 0, 26001, 0},
        {1, Binary(4, 5) + "CMD=SEN", 0, 26002, 4},
        {1, Binary(1, 0) + "=", 0, 26002, 4},  // V = 0
        {1, Binary(0, 2) + "x;", 0, 26004, 4}, // N = 0
        {1, Binary(255, 0xFFFFFF), 0, 26002, 4},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + " code " + std::to_string(c.code) + " msg " + c.msg);
        CAssocParser p(c.mode);
        std::vector<Record> recs;
        EXPECT_EQ(ReadAll(p, c.msg, &recs), CAssocParser::kError);
        EXPECT_EQ(recs.size(), c.records);
        EXPECT_EQ(p.GetError().dwGetCode(), c.code);
        EXPECT_EQ(p.ulGetConsumed(), c.consumed);
        EXPECT_NE(std::string(p.GetError().lpszGetText()), "");
        // A failed message stays failed until the next one.
        const char *n, *v;
        uint32_t nl, vl;
        EXPECT_EQ(p.iGetNext(&n, &nl, &v, &vl), CAssocParser::kError);
        EXPECT_EQ(p.ulGetConsumed(), c.consumed);
    }
}

TEST(AssocParser, ErrorTextsAndReset)
{
    CAssocParser p(CAssocParser::kText);
    std::vector<Record> recs;
    EXPECT_EQ(ReadAll(p, "00G1", &recs), CAssocParser::kError);
    EXPECT_STREQ(p.GetError().lpszGetText(),
                 "Taille d'association non valide (format du nombre hexadécimal invalide.");
    EXPECT_EQ(ReadAll(p, "0004ABC=", &recs), CAssocParser::kError);
    EXPECT_STREQ(
        p.GetError().lpszGetText(),
        "Impossible de trouver le caractère de séparation entre le nom d'une variable et sa valeur.");
    EXPECT_EQ(ReadAll(p, "0003A=;", &recs), CAssocParser::kEnd); // a new message clears the error
    EXPECT_EQ(p.GetError().dwGetCode(), 0u);
}

TEST(ErrorText, SelectsTableRows)
{
    static const FdBase::SErrorTextRow rows[] = {{26001, "Unexpected End Of Message."}, {7, "sept"}};
    FdBase::CErrorText e;
    e.vAttach(rows, 2);
    struct Case
    {
        uint32_t code;
        const char* want; // null: absent
    };
    const Case cases[] = {{7, "sept"}, {26001, "Unexpected End Of Message."}, {8, nullptr}, {0, nullptr}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.code);
        e.vReset();
        const char* got = e.lpszSelect(c.code);
        if (c.want)
        {
            ASSERT_NE(got, nullptr);
            EXPECT_STREQ(got, c.want);
            EXPECT_EQ(e.dwGetCode(), c.code);
        }
        else
        {
            EXPECT_EQ(got, nullptr);
            EXPECT_EQ(e.dwGetCode(), 0u);
        }
    }
}

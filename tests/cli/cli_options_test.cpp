// notafon-cli's option parser: every kind reaches its destination, and a bad number is refused the same way for
// every option, with nothing written.
#include "cli/cli_options.h"

#include <float.h>
#include <gtest/gtest.h>
#include <limits.h>

#include <string>
#include <vector>

namespace {

struct Parsed {
    bool flag = false;
    const wchar_t* text = nullptr;
    double number = -7.0;
    int whole = -7;
    std::vector<double> marks;
    std::vector<std::wstring> operands;
    std::wstring textValue;
    int count = 0;
    std::string refusal;
};

Parsed Parse(std::vector<std::wstring> args) {
    Parsed p;
    const CliOption options[] = {
        cliFlag(L"--flag", &p.flag),
        cliText(L"--text", &p.text),
        cliNumber(L"--number", 0.5, 3.0, &p.number),
        cliWholeNumber(L"--whole", 1, 1024, &p.whole),
        cliNumbers(L"--mark-at", 0.0, kCliMaxSeconds, &p.marks),
    };
    const wchar_t* operands[2] = {nullptr, nullptr};
    const CliCommandLine line = {options, 5, operands, 2, "takes IN and OUT"};
    std::vector<wchar_t*> argv;
    for (std::wstring& a : args) argv.push_back(&a[0]);
    char refusal[kCliRefusalCapacity];
    p.count = cliParseCommandLine(line, static_cast<int>(argv.size()), argv.data(), refusal);
    p.refusal = refusal;
    // Copies: the arguments end here.
    for (int k = 0; k < p.count; ++k) p.operands.push_back(operands[k]);
    if (p.text) p.textValue = p.text;
    p.text = nullptr;
    return p;
}

TEST(CliOptions, EveryKindReachesItsDestinationAndOperandsKeepTheirOrder) {
    Parsed p = Parse({L"in", L"--flag", L"--number", L"2.25", L"--whole", L"17", L"--mark-at", L"1.5", L"--mark-at",
                      L"0", L"out", L"--text", L"--looks-like-an-option"});
    ASSERT_EQ(p.count, 2) << p.refusal;
    EXPECT_TRUE(p.flag);
    EXPECT_DOUBLE_EQ(p.number, 2.25);
    EXPECT_EQ(p.whole, 17);
    EXPECT_EQ(p.marks, (std::vector<double>{1.5, 0.0}));
    EXPECT_EQ(p.operands, (std::vector<std::wstring>{L"in", L"out"}));
    EXPECT_EQ(p.textValue, L"--looks-like-an-option");
    EXPECT_EQ(p.refusal, "");

    Parsed none = Parse({});
    EXPECT_EQ(none.count, 0);
    EXPECT_FALSE(none.flag);
    EXPECT_DOUBLE_EQ(none.number, -7.0);
}

TEST(CliOptions, RangeEndsAreAccepted) {
    EXPECT_DOUBLE_EQ(Parse({L"--number", L"0.5"}).number, 0.5);
    EXPECT_DOUBLE_EQ(Parse({L"--number", L"3"}).number, 3.0);
    EXPECT_EQ(Parse({L"--whole", L"1"}).whole, 1);
    EXPECT_EQ(Parse({L"--whole", L"1024"}).whole, 1024);
    EXPECT_EQ(Parse({L"--whole", L"+8"}).whole, 8);
}

TEST(CliOptions, BadNumbersAreRefusedAlikeAndWriteNothing) {
    const wchar_t* bad[] = {L"", L"abc", L" 1", L"1 ", L"1x", L"0x10", L"inf", L"nan", L"1e999", L"--", L"."};
    for (size_t i = 0; i < sizeof bad / sizeof bad[0]; ++i) {
        const wchar_t* text = bad[i];
        Parsed n = Parse({L"--number", text});
        EXPECT_EQ(n.count, -1) << "bad[" << i << "]";
        EXPECT_EQ(n.refusal, "--number takes a number from 0.5 to 3");
        EXPECT_DOUBLE_EQ(n.number, -7.0);
        Parsed w = Parse({L"--whole", text});
        EXPECT_EQ(w.count, -1);
        EXPECT_EQ(w.refusal, "--whole takes a whole number from 1 to 1024");
        EXPECT_EQ(w.whole, -7);
        Parsed m = Parse({L"--mark-at", text});
        EXPECT_EQ(m.count, -1);
        EXPECT_EQ(m.refusal, "--mark-at takes a number from 0 to 10000000");
        EXPECT_TRUE(m.marks.empty());
    }
    EXPECT_EQ(Parse({L"--number", L"0.49"}).count, -1);
    EXPECT_EQ(Parse({L"--number", L"3.0001"}).count, -1);
    EXPECT_EQ(Parse({L"--whole", L"0"}).count, -1);
    EXPECT_EQ(Parse({L"--whole", L"2.5"}).refusal, "--whole takes a whole number from 1 to 1024");
    EXPECT_EQ(Parse({L"--mark-at", L"-1"}).count, -1);
}

TEST(CliOptions, UnboundedNumbersSayNoRange) {
    double v = 0;
    int w = 0;
    const CliOption options[] = {cliNumber(L"--speed", -DBL_MAX, DBL_MAX, &v),
                                 cliWholeNumber(L"--format", INT_MIN, INT_MAX, &w)};
    const CliCommandLine line = {options, 2, nullptr, 0, "no operands"};
    wchar_t speed[] = L"--speed", format[] = L"--format", huge[] = L"-1e300", junk[] = L"x";
    char refusal[kCliRefusalCapacity];
    wchar_t* ok[] = {speed, huge};
    EXPECT_EQ(cliParseCommandLine(line, 2, ok, refusal), 0);
    EXPECT_DOUBLE_EQ(v, -1e300);
    wchar_t* badSpeed[] = {speed, junk};
    EXPECT_EQ(cliParseCommandLine(line, 2, badSpeed, refusal), -1);
    EXPECT_STREQ(refusal, "--speed takes a number");
    wchar_t* badFormat[] = {format, junk};
    EXPECT_EQ(cliParseCommandLine(line, 2, badFormat, refusal), -1);
    EXPECT_STREQ(refusal, "--format takes a whole number");
}

TEST(CliOptions, UnknownOptionsMissingValuesAndExtraOperandsAreRefused) {
    EXPECT_EQ(Parse({L"--bogus"}).refusal, "unknown option or missing value");
    EXPECT_EQ(Parse({L"--number"}).refusal, "unknown option or missing value");
    EXPECT_EQ(Parse({L"--text"}).refusal, "unknown option or missing value");
    Parsed extra = Parse({L"a", L"b", L"c"});
    EXPECT_EQ(extra.count, -1);
    EXPECT_EQ(extra.refusal, "takes IN and OUT");
    // A flag takes no value: what follows it is the next argument.
    Parsed flag = Parse({L"--flag", L"a"});
    EXPECT_EQ(flag.count, 1);
    EXPECT_TRUE(flag.flag);
}

}  // namespace

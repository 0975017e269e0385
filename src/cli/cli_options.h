// The one option parser of notafon-cli: every subcommand describes its options in a table and hands the rest of its
// arguments (the operands) back to itself, so a bad number is refused the same way wherever it is given.
#pragma once

#include <vector>

enum class CliOptionKind { Flag, Text, Number, WholeNumber, RepeatedNumber };

struct CliOption {
    const wchar_t* name;  // "--speed"
    CliOptionKind kind;
    double min;  // Number, WholeNumber, RepeatedNumber: the accepted range, ends included
    double max;
    bool* flag;
    const wchar_t** text;
    double* number;
    int* wholeNumber;
    std::vector<double>* numbers;
};

// The widest range a time in seconds may take.
const double kCliMaxSeconds = 1.0e7;

CliOption cliFlag(const wchar_t* name, bool* to);
CliOption cliText(const wchar_t* name, const wchar_t** to);
CliOption cliNumber(const wchar_t* name, double min, double max, double* to);
CliOption cliWholeNumber(const wchar_t* name, int min, int max, int* to);
CliOption cliNumbers(const wchar_t* name, double min, double max, std::vector<double>* to);
CliOption cliSeconds(const wchar_t* name, double* to);

struct CliCommandLine {
    const CliOption* options;
    int optionCount;
    const wchar_t** operands;  // the arguments that are not options, in order
    int operandCapacity;
    const char* tooManyOperands;  // the refusal when there are more than operandCapacity
};

const int kCliRefusalCapacity = 160;

// Fills the table's destinations and the operands; returns the operand count, or -1 with the reason in refusal.
int cliParseCommandLine(const CliCommandLine& line, int argc, wchar_t** argv, char* refusal);
// A decimal number within [min, max] (no spaces, no hex, no "inf" or "nan"); false when the text is not one.
bool cliReadNumber(const wchar_t* text, double min, double max, double* value);

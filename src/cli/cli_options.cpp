// notafon-cli's option parser: a table per subcommand instead of one hand-written loop each, which had drifted apart
// (one subcommand checked its numbers, another took whatever the C library made of the text).
#include "cli/cli_options.h"

#include <float.h>
#include <limits.h>
#include <math.h>
#include <stdio.h>
#include <wchar.h>

namespace {

CliOption Option(const wchar_t* name, CliOptionKind kind, double min, double max) {
    CliOption o = {name, kind, min, max, nullptr, nullptr, nullptr, nullptr, nullptr};
    return o;
}

bool IsOption(const wchar_t* arg) {
    return arg[0] == L'-' && arg[1] == L'-';
}

// "--speed takes a number", with the range where the table narrows it.
void Refuse(const CliOption& o, char* refusal) {
    const bool whole = o.kind == CliOptionKind::WholeNumber;
    const bool bounded = whole ? o.min > INT_MIN || o.max < INT_MAX : o.min > -DBL_MAX || o.max < DBL_MAX;
    int n = snprintf(refusal, kCliRefusalCapacity, "%ls takes a %snumber", o.name, whole ? "whole " : "");
    if (bounded && n > 0 && n < kCliRefusalCapacity) {
        snprintf(refusal + n, static_cast<size_t>(kCliRefusalCapacity - n), " from %.10g to %.10g", o.min, o.max);
    }
}

}  // namespace

CliOption cliFlag(const wchar_t* name, bool* to) {
    CliOption o = Option(name, CliOptionKind::Flag, 0, 0);
    o.flag = to;
    return o;
}

CliOption cliText(const wchar_t* name, const wchar_t** to) {
    CliOption o = Option(name, CliOptionKind::Text, 0, 0);
    o.text = to;
    return o;
}

CliOption cliNumber(const wchar_t* name, double min, double max, double* to) {
    CliOption o = Option(name, CliOptionKind::Number, min, max);
    o.number = to;
    return o;
}

CliOption cliWholeNumber(const wchar_t* name, int min, int max, int* to) {
    CliOption o = Option(name, CliOptionKind::WholeNumber, min, max);
    o.wholeNumber = to;
    return o;
}

CliOption cliNumbers(const wchar_t* name, double min, double max, std::vector<double>* to) {
    CliOption o = Option(name, CliOptionKind::RepeatedNumber, min, max);
    o.numbers = to;
    return o;
}

CliOption cliSeconds(const wchar_t* name, double* to) {
    return cliNumber(name, 0.0, kCliMaxSeconds, to);
}

bool cliReadNumber(const wchar_t* text, double min, double max, double* value) {
    // wcstod alone would also take leading spaces, hex, "inf" and "nan".
    if (!text[0]) return false;
    for (const wchar_t* p = text; *p; ++p) {
        if (!wcschr(L"0123456789+-.eE", *p)) return false;
    }
    wchar_t* end = nullptr;
    double v = wcstod(text, &end);
    if (end == text || *end != 0 || !isfinite(v) || v < min || v > max) return false;
    *value = v;
    return true;
}

int cliParseCommandLine(const CliCommandLine& line, int argc, wchar_t** argv, char* refusal) {
    int operands = 0;
    refusal[0] = 0;
    for (int i = 0; i < argc; ++i) {
        const wchar_t* arg = argv[i];
        if (!IsOption(arg)) {
            if (operands >= line.operandCapacity) {
                snprintf(refusal, kCliRefusalCapacity, "%s", line.tooManyOperands);
                return -1;
            }
            line.operands[operands++] = arg;
            continue;
        }
        const CliOption* o = nullptr;
        for (int k = 0; k < line.optionCount && !o; ++k) {
            if (wcscmp(arg, line.options[k].name) == 0) o = &line.options[k];
        }
        if (!o || (o->kind != CliOptionKind::Flag && i + 1 >= argc)) {
            snprintf(refusal, kCliRefusalCapacity, "unknown option or missing value");
            return -1;
        }
        if (o->kind == CliOptionKind::Flag) {
            *o->flag = true;
            continue;
        }
        const wchar_t* value = argv[++i];
        if (o->kind == CliOptionKind::Text) {
            *o->text = value;
            continue;
        }
        double v = 0;
        bool whole = o->kind == CliOptionKind::WholeNumber;
        if (!cliReadNumber(value, o->min, o->max, &v) || (whole && v != floor(v))) {
            Refuse(*o, refusal);
            return -1;
        }
        if (o->kind == CliOptionKind::Number) *o->number = v;
        if (whole) *o->wholeNumber = static_cast<int>(v);
        if (o->kind == CliOptionKind::RepeatedNumber) o->numbers->push_back(v);
    }
    return operands;
}

// Message boxes, escape sequences and the trace hook.
#pragma once

#include <string>

namespace support {

// Kind 0: OK (result 1); kind 1: OK (1) / Cancel (2, also when closed);
// negative kind: the text goes to standard output, result 0.
int yInfoBox(const std::string& title, const std::string& text, int kind);
// "\n " becomes CR LF, "\' " a double quote; the first argument is unused.
std::string yUnescape(const std::string& unused, const std::string& text);
// Trace hook called at entry ("#S") and exit ("#E") of procedures; no effect.
int yPgmCheck(const std::string& selector, const std::string& text, int token);

// Calls the trace hook at a procedure's entry and on every way out of it.
class PgmTrace {
public:
    explicit PgmTrace(const char* name) : name_(name), token_(yPgmCheck("#S", name, 0)) {}
    ~PgmTrace() { yPgmCheck("#E", name_, token_); }
    PgmTrace(const PgmTrace&) = delete;
    PgmTrace& operator=(const PgmTrace&) = delete;

private:
    const char* name_;
    int token_;
};

}  // namespace support

#pragma once

// Line ends as the reader splits lines and the keep-layout writer finds them
// again: a line feed, a carriage return followed by a line feed, or a lone
// carriage return each end one line, and no other character is taken with
// them.

// Returns the start of the next line for p at a line end (or p itself when it
// points at neither a carriage return nor a line feed); never passes the
// text's terminating NUL.
inline const char16_t *StepOverLineEnd(const char16_t *p)
{
    if (*p == u'\r')
        return p[1] == u'\n' ? p + 2 : p + 1;
    if (*p == u'\n')
        return p + 1;
    return p;
}

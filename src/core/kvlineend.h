#pragma once

// Line ends of the text the reader parses and the layout writer copies: a
// line feed, a carriage return followed by a line feed, or a lone carriage
// return each end one line. Both sides step over them alike, so a line the
// reader made is the line the writer finds again.

inline bool IsLineEndChar(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == 0;
}

// Moves p past the line end it points at (one or two characters); at any
// other character, the text's terminating NUL included, p stays.
inline const char16_t *StepOverLineEnd(const char16_t *p)
{
    if (*p == u'\r')
        return p[1] == u'\n' ? p + 2 : p + 1;
    if (*p == u'\n')
        return p + 1;
    return p;
}

// Where the line that holds p starts: after the last line end before p.
inline const char16_t *LineStartBefore(const char16_t *text, const char16_t *p)
{
    while (p > text && p[-1] != u'\n' && p[-1] != u'\r')
        --p;
    return p;
}

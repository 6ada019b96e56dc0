// Character classes shared by the readers of scores, directives and the store.
#pragma once

// An ASCII decimal digit; other bytes (and every byte of a multi-byte character) are not.
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Text rules shared by the string table and its per-language overrides.
#pragma once
#include <cstddef>

// Primary language id of a language code from the string table; 0 for an unknown code.
int LanguageIdFromCode(const char *code);
// Turns every two-character "%n" into a line break, in place.
void ExpandLineBreaks(char *text);
// Decimal number at the start of a text (optional spaces and sign, then digits), clamped to the
// 32-bit range; 0 when there are no digits.
int LeadingNumber(const char *text);

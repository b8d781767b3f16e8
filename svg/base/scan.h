// The one number scanner for attribute text: path data, viewBox, point
// lists, transform lists and margins. Positions are 1-based character
// indices; a position past the end of the text means "at the end".
#pragma once

#include <string>

// First position at or after `position` that is not a separator.
int SkipSeparators(const std::wstring& text, int position);
// Reads one number at or after `position`; returns the position after it.
// Without a number *value is 0 and the result is the position reached after
// skipping separators (equal to `position` when none were skipped). A number
// too large for a float is refused: *value is 0 and the result is `position`
// itself, so that the reader stops there as the text's error handling says
// (path data drawn up to it, a viewBox or point list ending at it).
int ScanNumber(const std::wstring& text, int position, float* value);
// The same, telling a refused number (*refused set) from no number at all.
int ScanNumber(const std::wstring& text, int position, float* value, bool* refused);
// Skips separators and reads one "0" or "1" into *flag (left unchanged
// otherwise); returns the position after it, or after the separators.
int ScanArcFlag(const std::wstring& text, int position, int* flag);

// The same three on `length` bytes of UTF-8 text: every character they accept
// is ASCII, and any byte of a multi-byte character stops them as the
// character itself stops the wide versions.
int SkipSeparators(const char* text, int length, int position);
int ScanNumber(const char* text, int length, int position, float* value);
int ScanArcFlag(const char* text, int length, int position, int* flag);

// The program's fixed user-visible texts, keyed by their string-table numbers.
#pragma once

// Returns the text of a string-table entry, or "" for an unknown number.
const char* LoadStringText(int id);

// The colour of text that tells of a failure (a page that could not be read):
// a red picked from the background it is drawn on, so that it stays readable
// in light and dark themes alike.
#pragma once

#include <wx/colour.h>

// The contrast ratio of two colours as WCAG 2 defines it, 1 to 21.
double ContrastRatio(const wxColour& a, const wxColour& b);

// A red with a contrast ratio of at least 4.5 to background: darker on a
// light background, lighter on a dark one.
wxColour FailureTextColour(const wxColour& background);

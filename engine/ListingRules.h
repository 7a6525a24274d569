// The word rules of price and auction listing rows: rating a word as a price
// and finding an item number in an item's URL.
#pragma once

#include <string>
#include <string_view>

// Rates the first white-space-delimited word of word as a price and gives its
// value in price (-1.0 when it is none): 0 not a number (or no digit before a
// point), 3 with a '$', 2 with a point and exactly two digits after it, else 1.
// Commas are ignored.
int ParsePrice(std::string_view word, float& price);

// Looks in the lower-cased URL, after its last backslash (anywhere when it has
// none), for the first of the markers "id=", "itm=", "item=", "lotno=", "id_"
// (tried in this order) and gives the digits right after it, up to the first
// non-digit, as item code. 1 when a marker with at least one digit was found.
int FindItemNumber(std::string_view url, std::string& itemCode);

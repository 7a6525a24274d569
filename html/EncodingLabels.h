// The character encodings of web pages as browsers name them, the labels
// that select them ("latin1" and "ascii" mean windows-1252, "gb2312" means
// gbk, ...) and the ICU converter that reads each one.
#pragma once

#include <string_view>

struct EncodingInfo {
    std::string_view name;  // the encoding's name, lower case ("windows-1252")
    const char* icuName;    // ICU converter; null when this program does not decode it
    bool asciiCompatible;   // bytes below 0x80 stand for those ASCII characters
};

// The encoding a label names, ignoring ASCII case and surrounding
// whitespace; null for a label browsers do not know.
const EncodingInfo* FindEncoding(std::string_view label);

// The encodings this program falls back on.
const EncodingInfo& Utf8Encoding();
const EncodingInfo& Windows1252Encoding();

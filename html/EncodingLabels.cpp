#include "html/EncodingLabels.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace {

struct EncodingLabel {
    std::string_view label;
    int encoding;  // index in kEncodings
};

#include "html/EncodingLabelTable.inc"

const EncodingInfo& Named(std::string_view name) {
    return *std::find_if(std::begin(kEncodings), std::end(kEncodings),
                         [name](const EncodingInfo& e) { return e.name == name; });
}

}  // namespace

const EncodingInfo* FindEncoding(std::string_view label) {
    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; };
    while (!label.empty() && isSpace(label.front())) label.remove_prefix(1);
    while (!label.empty() && isSpace(label.back())) label.remove_suffix(1);
    if (label.empty() || label.size() > kLongestLabel) return nullptr;
    char lower[kLongestLabel];
    for (std::size_t i = 0; i < label.size(); ++i)
        lower[i] = label[i] >= 'A' && label[i] <= 'Z' ? static_cast<char>(label[i] + ('a' - 'A')) : label[i];
    const std::string_view key(lower, label.size());
    const auto* it = std::lower_bound(std::begin(kLabels), std::end(kLabels), key,
                                      [](const EncodingLabel& l, std::string_view k) { return l.label < k; });
    if (it == std::end(kLabels) || it->label != key) return nullptr;
    return &kEncodings[it->encoding];
}

const EncodingInfo& Utf8Encoding() {
    static const EncodingInfo& utf8 = Named("utf-8");
    return utf8;
}

const EncodingInfo& Windows1252Encoding() {
    static const EncodingInfo& windows1252 = Named("windows-1252");
    return windows1252;
}

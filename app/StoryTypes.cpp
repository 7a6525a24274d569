#include "app/StoryTypes.h"

#include <algorithm>
#include <vector>

#include "common/PrintableText.h"

std::string OutputField(const std::string& text) { return StripControlCharacters(text); }

std::string FormatStoryLine(const StoryItem& story) {
    std::string line = OutputField(story.Headline());
    line += '\t';
    line += OutputField(story.url);
    line += '\t';
    line += OutputField(story.sourceName);
    line += '\t';
    line += OutputField(story.keywords);
    return line;
}

std::string KeywordsAsTyped(const std::string& stored) {
    std::vector<std::string> include, exclude;
    // Each word begins at a '+' or '-' (the first one may lack its sign).
    std::string::size_type start = 0;
    while (start < stored.size()) {
        const auto next = stored.find_first_of("+-", start + 1);
        std::string piece = stored.substr(start, next == std::string::npos ? std::string::npos : next - start);
        const bool bExclude = piece[0] == '-';
        if (piece[0] == '+' || piece[0] == '-') piece.erase(0, 1);
        std::replace(piece.begin(), piece.end(), '_', ' ');
        if (!piece.empty()) (bExclude ? exclude : include).push_back(piece);
        if (next == std::string::npos) break;
        start = next;
    }
    std::string text;
    for (const std::string& word : include) text += (text.empty() ? "" : ", ") + word;
    for (size_t i = 0; i < exclude.size(); ++i) {
        if (!text.empty()) text += ", ";
        if (i == 0) text += "not ";
        text += exclude[i];
    }
    return text;
}

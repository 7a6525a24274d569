#include "app/StoryTypes.h"

#include <algorithm>
#include <vector>

#include "common/PrintableText.h"
#include "config/KeywordText.h"

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
    // A stored group begins with a sign or the escaped form's mark; a text
    // without one is taken as one word to include.
    const bool bSigned = !stored.empty() && (stored[0] == '+' || stored[0] == '-' || stored[0] == '\\');
    std::vector<std::string> include, exclude;
    for (KeywordWord& word : SplitKeywordText(bSigned ? stored : "+" + stored, std::string::npos)) {
        std::replace(word.word.begin(), word.word.end(), '_', ' ');
        if (!word.word.empty()) (word.bExclude ? exclude : include).push_back(std::move(word.word));
    }
    std::string text;
    for (const std::string& word : include) text += (text.empty() ? "" : ", ") + word;
    for (std::size_t i = 0; i < exclude.size(); ++i) {
        if (!text.empty()) text += ", ";
        if (i == 0) text += "not ";
        text += exclude[i];
    }
    return text;
}

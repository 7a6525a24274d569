#include "app/StoryTypes.h"

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

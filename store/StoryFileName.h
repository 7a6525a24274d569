// Story file names: the rule that turns a source key into the stem of its
// story file ("%0.8s%04x%04x"), the second name a source gets when another
// source owns the file of that stem, and the mapping that keeps the stem
// safe for the file system.
#pragma once

#include <string>
#include <string_view>

// Position in the key where the name part of the stem starts: 0 for a
// catalogue key; for a custom key just after the scheme of its first "http:"
// (or earlier "https:"), 4 characters further when "www." occurs anywhere in
// the key, so that a leading "www." is skipped (and, with a "www." further
// on, the first 4 characters of the host too: existing file names rest on it).
std::size_t StoryStemStart(std::string_view key);

// The stem as the naming rule gives it: up to 8 characters of the key from
// the start position, then the key's signed-character sum and its length as
// four lower-case hex digits each. May hold characters a file name cannot.
std::string RawStoryFileStem(std::string_view key);

// Maps every character other than ASCII letters, digits, '.', '-' and '_' to
// '_'. The same text always gives the same name.
std::string SafeFileNameChars(std::string_view name);

// The stem used on disk: RawStoryFileStem made safe.
std::string StoryFileStem(std::string_view key);

// The stem of a source's file when the file named by its StoryFileStem
// belongs to another source: two keys can give one stem (two pages of one
// host whose paths hold the same characters in another order have the same
// first characters, sum and length). It is StoryFileStem, '-' and the
// 64-bit FNV-1a hash of the whole key in 16 lower-case hex digits, so it
// is the same in every run, differs between keys that share a stem (unless
// their hashes collide, which practically never happens), and never equals
// a StoryFileStem, which is 16 characters long at most.
std::string SecondStoryFileStem(std::string_view key);

// The setup-information text as the setup engine reads it: sections of lines, each line a
// comma-separated list of fields, or a key, an equals sign and such a list. Quoted text keeps
// its commas, semicolons and equals signs; a doubled quote inside quotes is one quote. A
// semicolon outside quotes starts a comment. Section names and keys ignore case.
//
// String references (%name%) are not resolved here: a field keeps them until the plan that uses
// it resolves them (setup_plan.h), so that a value never gets split or quoted again.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zavel::setup {

struct InfLine {
    int number = 0;                   // 1-based, for messages
    std::string key;                  // empty when the line has no "="
    std::vector<std::string> fields;  // the value (or the whole line) split at its commas
};

struct InfSection {
    std::string name;
    std::vector<InfLine> lines;
};

class InfFile {
  public:
    // Reads a whole text. Lines end at CR LF, LF or CR; the last line needs no line end. Blank
    // lines and comments are dropped. Returns nullopt and sets `error` when the text is not of
    // this form (text before the first section, a section name without its closing bracket, a
    // quote left open, an empty key).
    static std::optional<InfFile> Parse(std::string_view text, std::string& error);

    // The section of that name, any case; a name given twice gathers the lines of both.
    const InfSection* Find(std::string_view name) const;
    // The value of `key` in `section` as one text (its fields joined by ","), or nullopt.
    const InfLine* FindKey(std::string_view section, std::string_view key) const;

    const std::vector<InfSection>& sections() const { return sections_; }

  private:
    std::vector<InfSection> sections_;
};

// Splits a text at the commas outside quotes; each part loses its surrounding blanks, and its
// quotes are resolved ("a ""b""" is a "b"). A quote left open gives nullopt.
std::optional<std::vector<std::string>> SplitFields(std::string_view text);

// Whether two names are equal ignoring the case of ASCII letters.
bool SameName(std::string_view a, std::string_view b);

}  // namespace zavel::setup

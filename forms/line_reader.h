#pragma once
// One line of a form description: its tokens, and readers of typed values that throw
// FormDescriptionError naming the line when a value does not fit.

#include "forms/form_description.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cutshape::forms {

enum class TokenKind { Word, Text, Braced, File };

struct Token {
    TokenKind kind;
    std::string value;
};

class LineReader {
public:
    // Splits `text` into tokens; a '#' outside a quoted string ends the line.
    LineReader(std::string_view text, const std::string& file, int line);

    [[noreturn]] void fail(const std::string& problem) const;

    int line() const noexcept { return line_; }
    const std::vector<Token>& tokens() const noexcept { return tokens_; }
    // The first token, which names what the line sets.
    const std::string& keyword() const { return tokens_.front().value; }
    // The tokens after the keyword.
    std::size_t valueCount() const noexcept { return tokens_.size() - 1; }
    const Token& value(std::size_t index) const { return tokens_[index + 1]; }

    void expectValues(std::size_t count) const;

    std::string text(const Token& token) const;
    std::string file(const Token& token) const;
    bool yesNo(const Token& token) const;
    std::int32_t integer(const Token& token, std::int32_t lowest, std::int32_t highest) const;
    float number(const Token& token) const;
    std::string guid(const Token& token) const;
    // The line's four values: left, top, width and height in twips.
    TwipsRect rectangle() const;

private:
    void tokenize(std::string_view text);

    const std::string& file_;
    int line_;
    std::vector<Token> tokens_;
};

// A name of the form or of a control: a letter, then letters, digits and underscores.
bool isName(std::string_view word);

} // namespace cutshape::forms

#include "forms/line_reader.h"

#include "forms/decimal_number.h"

#include <charconv>

namespace cutshape::forms {
namespace {

// ASCII only: the <cctype> classes depend on the locale.
bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

} // namespace

LineReader::LineReader(std::string_view text, const std::string& file, int line)
    : file_(file), line_(line) {
    tokenize(text);
}

void LineReader::fail(const std::string& problem) const {
    throw FormDescriptionError(file_, line_, problem);
}

void LineReader::tokenize(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++at;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            std::string value;
            ++at;
            for (;;) {
                if (at >= text.size())
                    fail("the quoted text is not closed");
                if (text[at] == '"')
                    break;
                if (text[at] == '\\') {
                    if (at + 1 >= text.size() || (text[at + 1] != '"' && text[at + 1] != '\\'))
                        fail("only \\\" and \\\\ may follow a backslash in quoted text");
                    ++at;
                }
                value += text[at++];
            }
            ++at;
            tokens_.push_back({TokenKind::Text, std::move(value)});
        } else if (c == '{') {
            const std::size_t close = text.find('}', at);
            if (close == std::string_view::npos)
                fail("the identifier in braces is not closed");
            tokens_.push_back({TokenKind::Braced, std::string(text.substr(at, close - at + 1))});
            at = close + 1;
        } else {
            std::size_t end = at;
            while (end < text.size() && text[end] != ' ' && text[end] != '\t' &&
                   text[end] != '\r' && text[end] != '#')
                ++end;
            std::string word(text.substr(at, end - at));
            if (word.rfind("file:", 0) == 0) {
                if (word.size() == 5)
                    fail("'file:' names no file");
                tokens_.push_back({TokenKind::File, word.substr(5)});
            } else {
                tokens_.push_back({TokenKind::Word, std::move(word)});
            }
            at = end;
        }
    }
}

void LineReader::expectValues(std::size_t count) const {
    if (valueCount() != count)
        fail("'" + keyword() + "' takes " + std::to_string(count) + " value" +
             (count == 1 ? "" : "s") + ", found " + std::to_string(valueCount()));
}

std::string LineReader::text(const Token& token) const {
    if (token.kind != TokenKind::Text)
        fail("'" + keyword() + "' takes quoted text");
    return token.value;
}

std::string LineReader::file(const Token& token) const {
    if (token.kind != TokenKind::File)
        fail("'" + keyword() + "' takes a bundled file written file:<name>");
    return token.value;
}

bool LineReader::yesNo(const Token& token) const {
    if (token.kind == TokenKind::Word && token.value == "yes")
        return true;
    if (token.kind == TokenKind::Word && token.value == "no")
        return false;
    fail("'" + keyword() + "' takes yes or no, not '" + token.value + "'");
}

std::int32_t LineReader::integer(const Token& token, std::int32_t lowest,
                                 std::int32_t highest) const {
    std::int32_t value = 0;
    const char* first = token.value.data();
    const char* last = first + token.value.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (token.kind != TokenKind::Word || error != std::errc() || end != last)
        fail("'" + keyword() + "' takes a whole number, not '" + token.value + "'");
    if (value < lowest || value > highest)
        fail("'" + keyword() + "' value " + token.value + " is outside " + std::to_string(lowest) +
             " to " + std::to_string(highest));
    return value;
}

float LineReader::number(const Token& token) const {
    if (token.kind == TokenKind::Word)
        if (const std::optional<float> value = parseDecimal(token.value))
            return *value;
    fail("'" + keyword() + "' takes decimal numbers, not '" + token.value + "'");
}

std::string LineReader::guid(const Token& token) const {
    static constexpr std::string_view kPattern = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    bool valid = token.kind == TokenKind::Braced && token.value.size() == kPattern.size();
    for (std::size_t i = 0; valid && i < kPattern.size(); ++i)
        valid = kPattern[i] == 'X' ? isHexDigit(token.value[i]) : token.value[i] == kPattern[i];
    if (!valid)
        fail("'" + keyword() + "' takes an identifier in the form " + std::string(kPattern) +
             " (X a hex digit), not '" + token.value + "'");
    return token.value;
}

TwipsRect LineReader::rectangle() const {
    expectValues(4);
    TwipsRect result{number(value(0)), number(value(1)), number(value(2)), number(value(3))};
    if (result.width < 0 || result.height < 0)
        fail("'" + keyword() + "' has a negative width or height");
    return result;
}

bool isName(std::string_view word) {
    if (word.empty() || !isLetter(word[0]))
        return false;
    for (const char c : word)
        if (!isLetter(c) && !isDigit(c) && c != '_')
            return false;
    return true;
}

} // namespace cutshape::forms

#include "runtime/form_description.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace cutshape::runtime {
namespace {

enum class TokenKind { Word, Text, Braced, File };

struct Token {
    TokenKind kind;
    std::string value;
};

class LineParser {
public:
    LineParser(const std::string& file, int line) : file_(file), line_(line) {}

    [[noreturn]] void fail(const std::string& problem) const {
        throw FormDescriptionError(file_, line_, problem);
    }

    // Splits a line into tokens; a '#' outside a quoted string ends the line.
    std::vector<Token> tokenize(std::string_view text) const {
        std::vector<Token> tokens;
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
                tokens.push_back({TokenKind::Text, std::move(value)});
            } else if (c == '{') {
                const std::size_t close = text.find('}', at);
                if (close == std::string_view::npos)
                    fail("the identifier in braces is not closed");
                tokens.push_back({TokenKind::Braced, std::string(text.substr(at, close - at + 1))});
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
                    tokens.push_back({TokenKind::File, word.substr(5)});
                } else {
                    tokens.push_back({TokenKind::Word, std::move(word)});
                }
                at = end;
            }
        }
        return tokens;
    }

    void expectCount(const std::vector<Token>& tokens, std::size_t values) const {
        if (tokens.size() - 1 != values)
            fail("'" + tokens[0].value + "' takes " + std::to_string(values) + " value" +
                 (values == 1 ? "" : "s") + ", found " + std::to_string(tokens.size() - 1));
    }

    std::string text(const Token& token, const std::string& keyword) const {
        if (token.kind != TokenKind::Text)
            fail("'" + keyword + "' takes quoted text");
        return token.value;
    }

    std::string file(const Token& token, const std::string& keyword) const {
        if (token.kind != TokenKind::File)
            fail("'" + keyword + "' takes a bundled file written file:<name>");
        return token.value;
    }

    bool yesNo(const Token& token, const std::string& keyword) const {
        if (token.kind == TokenKind::Word && token.value == "yes")
            return true;
        if (token.kind == TokenKind::Word && token.value == "no")
            return false;
        fail("'" + keyword + "' takes yes or no, not '" + token.value + "'");
    }

    std::int32_t integer(const Token& token, const std::string& keyword, std::int32_t lowest,
                         std::int32_t highest) const {
        std::int32_t value = 0;
        const char* first = token.value.data();
        const char* last = first + token.value.size();
        const auto [end, error] = std::from_chars(first, last, value);
        if (token.kind != TokenKind::Word || error != std::errc() || end != last)
            fail("'" + keyword + "' takes a whole number, not '" + token.value + "'");
        if (value < lowest || value > highest)
            fail("'" + keyword + "' value " + token.value + " is outside " +
                 std::to_string(lowest) + " to " + std::to_string(highest));
        return value;
    }

    float number(const Token& token, const std::string& keyword) const {
        if (token.kind == TokenKind::Word && !token.value.empty()) {
            std::size_t used = 0;
            try {
                const float value = std::stof(token.value, &used);
                if (used == token.value.size() && std::isfinite(value))
                    return value;
            } catch (const std::exception&) {
            }
        }
        fail("'" + keyword + "' takes numbers, not '" + token.value + "'");
    }

    TwipsRect rectangle(const std::vector<Token>& tokens) const {
        expectCount(tokens, 4);
        const std::string& keyword = tokens[0].value;
        TwipsRect result{number(tokens[1], keyword), number(tokens[2], keyword),
                         number(tokens[3], keyword), number(tokens[4], keyword)};
        if (result.width < 0 || result.height < 0)
            fail("'" + keyword + "' has a negative width or height");
        return result;
    }

    std::string guid(const Token& token, const std::string& keyword) const {
        static constexpr std::string_view kPattern = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
        bool valid = token.kind == TokenKind::Braced && token.value.size() == kPattern.size();
        for (std::size_t i = 0; valid && i < kPattern.size(); ++i)
            valid = kPattern[i] == 'X' ? std::isxdigit(static_cast<unsigned char>(token.value[i]))
                                       : token.value[i] == kPattern[i];
        if (!valid)
            fail("'" + keyword +
                 "' takes an identifier like {1CD0A9FA-0E57-487D-AF64-"
                 "510C36E1CD92}, not '" +
                 token.value + "'");
        return token.value;
    }

private:
    const std::string& file_;
    int line_;
};

ControlKind controlKind(const LineParser& parser, const std::string& word) {
    if (word == "button")
        return ControlKind::Button;
    if (word == "label")
        return ControlKind::Label;
    if (word == "image")
        return ControlKind::Image;
    if (word == "activex")
        return ControlKind::ActiveX;
    parser.fail("unknown control kind '" + word + "' (button, label, image or activex)");
}

bool isName(const std::string& word) {
    if (word.empty() || !std::isalpha(static_cast<unsigned char>(word[0])))
        return false;
    for (const char c : word)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_')
            return false;
    return true;
}

StoredProperty storedProperty(const LineParser& parser, const std::vector<Token>& tokens) {
    parser.expectCount(tokens, 3);
    StoredProperty property;
    if (tokens[1].kind != TokenKind::Word || !isName("k" + tokens[1].value))
        parser.fail("'stored' needs a property name, not '" + tokens[1].value + "'");
    property.name = tokens[1].value;
    const std::string& type = tokens[2].value;
    const Token& value = tokens[3];
    if (type == "i2") {
        property.type = StoredType::Integer16;
        property.integer = parser.integer(value, "stored", -32768, 32767);
    } else if (type == "i4") {
        property.type = StoredType::Integer32;
        property.integer = parser.integer(value, "stored", INT32_MIN, INT32_MAX);
    } else if (type == "single") {
        property.type = StoredType::Single;
        property.single = parser.number(value, "stored");
    } else if (type == "bool") {
        property.type = StoredType::Boolean;
        property.integer = parser.yesNo(value, "stored") ? -1 : 0;
    } else if (type == "string") {
        property.type = StoredType::String;
        property.text = parser.text(value, "stored");
    } else if (type == "picture") {
        property.type = StoredType::Picture;
        property.text = parser.file(value, "stored");
    } else {
        parser.fail("unknown stored type '" + type + "' (i2, i4, single, bool, string, picture)");
    }
    return property;
}

void formLine(const LineParser& parser, FormDescription& form, const std::vector<Token>& tokens) {
    const std::string& keyword = tokens[0].value;
    if (keyword == "client") {
        form.client = parser.rectangle(tokens);
        return;
    }
    parser.expectCount(tokens, 1);
    const Token& value = tokens[1];
    if (keyword == "caption")
        form.caption = parser.text(value, keyword);
    else if (keyword == "border-style")
        form.borderStyle = parser.integer(value, keyword, 0, 2);
    else if (keyword == "start-up") {
        if (value.value != "system" && value.value != "manual")
            parser.fail("'start-up' takes system or manual, not '" + value.value + "'");
        form.systemChoosesPosition = value.value == "system";
    } else if (keyword == "min-box")
        form.minButton = parser.yesNo(value, keyword);
    else if (keyword == "max-box")
        form.maxButton = parser.yesNo(value, keyword);
    else if (keyword == "taskbar")
        form.showInTaskbar = parser.yesNo(value, keyword);
    else if (keyword == "scale") {
        if (value.value != "twips")
            parser.fail("only the twips scale is supported, not '" + value.value + "'");
    } else
        parser.fail("unknown form keyword '" + keyword + "'");
}

void controlLine(const LineParser& parser, ControlDescription& control,
                 const std::vector<Token>& tokens) {
    const std::string& keyword = tokens[0].value;
    const bool activeX = control.kind == ControlKind::ActiveX;
    if (keyword == "position") {
        control.position = parser.rectangle(tokens);
    } else if (keyword == "at") {
        parser.expectCount(tokens, 2);
        control.position =
            TwipsRect{parser.number(tokens[1], keyword), parser.number(tokens[2], keyword), 0, 0};
    } else if (keyword == "stored" && activeX) {
        StoredProperty property = storedProperty(parser, tokens);
        for (const StoredProperty& earlier : control.stored)
            if (earlier.name == property.name)
                parser.fail("'" + property.name + "' is stored twice");
        control.stored.push_back(std::move(property));
    } else if (keyword == "pointer" && !activeX) {
        if (tokens.size() == 2 && tokens[1].value == "default") {
            control.mousePointer = 0;
        } else {
            if (tokens.size() != 3 || tokens[1].value != "custom")
                parser.fail("'pointer' takes default, or custom and a file:<cursor>");
            control.mousePointer = 99;
            control.mouseIconFile = parser.file(tokens[2], keyword);
        }
    } else {
        parser.expectCount(tokens, 1);
        const Token& value = tokens[1];
        const bool intrinsic = !activeX && control.kind != ControlKind::Image;
        if (keyword == "caption" && intrinsic)
            control.caption = parser.text(value, keyword);
        else if (keyword == "tip" && !activeX)
            control.toolTip = parser.text(value, keyword);
        else if (keyword == "tab-index" && intrinsic)
            control.tabIndex = parser.integer(value, keyword, 0, 32767);
        else if (keyword == "picture" && control.kind == ControlKind::Image)
            control.pictureFile = parser.file(value, keyword);
        else if (keyword == "class" && activeX)
            control.classId = parser.guid(value, keyword);
        else if (keyword == "default-interface" && activeX)
            control.defaultInterfaceId = parser.guid(value, keyword);
        else if (keyword == "event-interface" && activeX)
            control.eventInterfaceId = parser.guid(value, keyword);
        else if (keyword == "class-name" && activeX)
            control.className = parser.text(value, keyword);
        else if (keyword == "library" && activeX)
            control.libraryFile = parser.text(value, keyword);
        else
            parser.fail("'" + keyword + "' is not a keyword of this control kind");
    }
}

// What a finished control section must have, reported at the line that starts it.
void checkControl(const std::string& file, const ControlDescription& control) {
    const LineParser parser(file, control.line);
    if (!control.position)
        parser.fail("control '" + control.name + "' has no position");
    if (control.kind == ControlKind::ActiveX && control.classId.empty() &&
        control.className.empty())
        parser.fail("ActiveX control '" + control.name + "' names neither class nor class-name");
}

} // namespace

FormDescriptionError::FormDescriptionError(const std::string& file, int line,
                                           const std::string& problem)
    : std::runtime_error(file + ":" + std::to_string(line) + ": " + problem), file_(file),
      line_(line), problem_(problem) {}

const ControlDescription* FormDescription::find(std::string_view controlName) const {
    for (const ControlDescription& control : controls)
        if (control.name == controlName)
            return &control;
    return nullptr;
}

FormDescription parseFormDescription(std::string_view text, const std::string& file) {
    FormDescription form;
    form.file = file;
    bool formSeen = false;
    int lineNumber = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        const LineParser parser(file, lineNumber);
        const std::vector<Token> tokens = parser.tokenize(line);
        if (tokens.empty())
            continue;
        if (tokens[0].kind != TokenKind::Word)
            parser.fail("a line must start with a keyword");
        const std::string& keyword = tokens[0].value;
        if (keyword == "form") {
            if (formSeen)
                parser.fail("a description holds one form");
            parser.expectCount(tokens, 1);
            if (!isName(tokens[1].value))
                parser.fail("'" + tokens[1].value + "' is not a name");
            form.name = tokens[1].value;
            formSeen = true;
        } else if (keyword == "control") {
            if (!formSeen)
                parser.fail("a control before the form line");
            parser.expectCount(tokens, 2);
            if (!form.controls.empty())
                checkControl(file, form.controls.back());
            if (!isName(tokens[1].value))
                parser.fail("'" + tokens[1].value + "' is not a name");
            if (form.find(tokens[1].value) || tokens[1].value == form.name)
                parser.fail("the name '" + tokens[1].value + "' is used twice");
            ControlDescription control;
            control.name = tokens[1].value;
            control.kind = controlKind(parser, tokens[2].value);
            control.line = lineNumber;
            form.controls.push_back(std::move(control));
        } else if (!formSeen) {
            parser.fail("'" + keyword + "' before the form line");
        } else if (form.controls.empty()) {
            formLine(parser, form, tokens);
        } else {
            controlLine(parser, form.controls.back(), tokens);
        }
    }
    if (!formSeen)
        throw FormDescriptionError(file, lineNumber, "the description has no form line");
    if (!form.controls.empty())
        checkControl(file, form.controls.back());
    return form;
}

} // namespace cutshape::runtime

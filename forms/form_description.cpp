#include "forms/form_description.h"

#include "forms/form_events.h"
#include "forms/line_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>

namespace cutshape::forms {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// ---- The form section ----

struct FormKeyword {
    std::string_view name;
    void (*read)(const LineReader& line, FormDescription& form);
};

constexpr std::array kFormKeywords{
    FormKeyword{"caption",
                [](const LineReader& line, FormDescription& form) {
                    line.expectValues(1);
                    form.caption = line.text(line.value(0));
                }},
    FormKeyword{"border-style",
                [](const LineReader& line, FormDescription& form) {
                    line.expectValues(1);
                    form.borderStyle = line.integer(line.value(0), 0, 2);
                }},
    FormKeyword{"client", [](const LineReader& line,
                             FormDescription& form) { form.client = line.rectangle(); }},
    FormKeyword{"start-up",
                [](const LineReader& line, FormDescription& form) {
                    line.expectValues(1);
                    const Token& value = line.value(0);
                    if (value.kind != TokenKind::Word ||
                        (value.value != "system" && value.value != "manual"))
                        line.fail("'start-up' takes system or manual, not '" + value.value + "'");
                    form.systemChoosesPosition = value.value == "system";
                }},
    FormKeyword{"min-box",
                [](const LineReader& line, FormDescription& form) {
                    line.expectValues(1);
                    form.minButton = line.yesNo(line.value(0));
                }},
    FormKeyword{"max-box",
                [](const LineReader& line, FormDescription& form) {
                    line.expectValues(1);
                    form.maxButton = line.yesNo(line.value(0));
                }},
    FormKeyword{"taskbar",
                [](const LineReader& line, FormDescription& form) {
                    line.expectValues(1);
                    form.showInTaskbar = line.yesNo(line.value(0));
                }},
    FormKeyword{"scale",
                [](const LineReader& line, FormDescription&) {
                    line.expectValues(1);
                    const Token& value = line.value(0);
                    if (value.kind != TokenKind::Word || value.value != "twips")
                        line.fail("only the twips scale is supported, not '" + value.value + "'");
                }},
};

// ---- Control sections ----

struct KindName {
    std::string_view name;
    ControlKind kind;
};

constexpr std::array kKindNames{
    KindName{"button", ControlKind::Button}, KindName{"label", ControlKind::Label},
    KindName{"image", ControlKind::Image}, KindName{"activex", ControlKind::ActiveX}};

constexpr unsigned bit(ControlKind kind) {
    return 1u << static_cast<unsigned>(kind);
}

constexpr unsigned kIntrinsic = bit(ControlKind::Button) | bit(ControlKind::Label);
constexpr unsigned kRuntimeDrawn = kIntrinsic | bit(ControlKind::Image);
constexpr unsigned kActiveX = bit(ControlKind::ActiveX);
constexpr unsigned kEveryKind = kRuntimeDrawn | kActiveX;

struct StoredTypeName {
    std::string_view name;
    StoredType type;
};

constexpr std::array kStoredTypeNames{
    StoredTypeName{"i2", StoredType::Integer16},  StoredTypeName{"i4", StoredType::Integer32},
    StoredTypeName{"single", StoredType::Single}, StoredTypeName{"bool", StoredType::Boolean},
    StoredTypeName{"string", StoredType::String}, StoredTypeName{"picture", StoredType::Picture}};

StoredProperty storedProperty(const LineReader& line) {
    line.expectValues(3);
    StoredProperty property;
    const Token& name = line.value(0);
    // Property names may start with an underscore (_extentx).
    if (name.kind != TokenKind::Word || !isName("k" + name.value))
        line.fail("'stored' needs a property name, not '" + name.value + "'");
    property.name = name.value;
    const std::string& type = line.value(1).value;
    const Token& value = line.value(2);
    const auto* known =
        std::find_if(kStoredTypeNames.begin(), kStoredTypeNames.end(),
                     [&](const StoredTypeName& entry) { return entry.name == type; });
    if (known == kStoredTypeNames.end())
        line.fail("unknown stored type '" + type + "' (i2, i4, single, bool, string, picture)");
    property.type = known->type;
    switch (property.type) {
    case StoredType::Integer16:
        property.integer = line.integer(value, -32768, 32767);
        break;
    case StoredType::Integer32:
        property.integer = line.integer(value, INT32_MIN, INT32_MAX);
        break;
    case StoredType::Single:
        property.single = line.number(value);
        break;
    case StoredType::Boolean:
        property.integer = line.yesNo(value) ? -1 : 0;
        break;
    case StoredType::String:
        property.text = line.text(value);
        break;
    case StoredType::Picture:
        property.text = line.file(value);
        break;
    }
    return property;
}

struct ControlKeyword {
    std::string_view name;
    unsigned kinds; // bit(kind) for each control kind that takes the keyword
    // What the keyword sets: a section may set each thing once. Empty for `stored`, which
    // checks its property names itself.
    std::string_view sets;
    void (*read)(const LineReader& line, ControlDescription& control);
};

constexpr std::array kControlKeywords{
    ControlKeyword{"position", kEveryKind, "position",
                   [](const LineReader& line, ControlDescription& control) {
                       control.position = line.rectangle();
                   }},
    // A place without a size, for controls that are invisible at run time.
    ControlKeyword{"at", kEveryKind, "position",
                   [](const LineReader& line, ControlDescription& control) {
                       line.expectValues(2);
                       control.position =
                           TwipsRect{line.number(line.value(0)), line.number(line.value(1)), 0, 0};
                   }},
    ControlKeyword{"caption", kIntrinsic, "caption",
                   [](const LineReader& line, ControlDescription& control) {
                       line.expectValues(1);
                       control.caption = line.text(line.value(0));
                   }},
    ControlKeyword{"tip", kRuntimeDrawn, "tip",
                   [](const LineReader& line, ControlDescription& control) {
                       line.expectValues(1);
                       control.toolTip = line.text(line.value(0));
                   }},
    ControlKeyword{"tab-index", kIntrinsic, "tab-index",
                   [](const LineReader& line, ControlDescription& control) {
                       line.expectValues(1);
                       control.tabIndex = line.integer(line.value(0), 0, 32767);
                   }},
    ControlKeyword{"picture", bit(ControlKind::Image), "picture",
                   [](const LineReader& line, ControlDescription& control) {
                       line.expectValues(1);
                       control.pictureFile = line.file(line.value(0));
                   }},
    ControlKeyword{"pointer", kRuntimeDrawn, "pointer",
                   [](const LineReader& line, ControlDescription& control) {
                       if (line.valueCount() == 1 && line.value(0).kind == TokenKind::Word &&
                           line.value(0).value == "default") {
                           control.mousePointer = 0;
                           return;
                       }
                       if (line.valueCount() != 2 || line.value(0).kind != TokenKind::Word ||
                           line.value(0).value != "custom")
                           line.fail("'pointer' takes default, or custom and a file:<cursor>");
                       control.mousePointer = 99;
                       control.mouseIconFile = line.file(line.value(1));
                   }},
    ControlKeyword{"class", kActiveX, "class",
                   [](const LineReader& line, ControlDescription& control) {
                       line.expectValues(1);
                       control.classId = line.guid(line.value(0));
                   }},
    ControlKeyword{"default-interface", kActiveX, "default-interface",
                   [](const LineReader& line, ControlDescription& control) {
                       line.expectValues(1);
                       control.defaultInterfaceId = line.guid(line.value(0));
                   }},
    ControlKeyword{"event-interface", kActiveX, "event-interface",
                   [](const LineReader& line, ControlDescription& control) {
                       line.expectValues(1);
                       control.eventInterfaceId = line.guid(line.value(0));
                   }},
    ControlKeyword{"class-name", kActiveX, "class-name",
                   [](const LineReader& line, ControlDescription& control) {
                       line.expectValues(1);
                       control.className = line.text(line.value(0));
                   }},
    ControlKeyword{"library", kActiveX, "library",
                   [](const LineReader& line, ControlDescription& control) {
                       line.expectValues(1);
                       control.libraryFile = line.text(line.value(0));
                   }},
    ControlKeyword{"stored", kActiveX, "",
                   [](const LineReader& line, ControlDescription& control) {
                       StoredProperty property = storedProperty(line);
                       for (const StoredProperty& earlier : control.stored)
                           if (earlier.name == property.name)
                               line.fail("'" + property.name + "' is stored twice");
                       control.stored.push_back(std::move(property));
                   }},
};

template <typename Table>
auto findKeyword(const Table& table, std::string_view name) -> decltype(&table[0]) {
    for (const auto& entry : table)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

std::string_view kindName(ControlKind kind) {
    for (const KindName& entry : kKindNames)
        if (entry.kind == kind)
            return entry.name;
    return "?";
}

// What one section has set so far, so that a second setting is reported, not silently
// taken.
class SectionSettings {
public:
    void note(const LineReader& line, std::string_view sets) {
        const auto [earlier, added] = given_.try_emplace(sets, line.keyword(), line.line());
        if (added)
            return;
        const auto& [keyword, firstLine] = earlier->second;
        if (keyword == line.keyword())
            line.fail("'" + keyword + "' is given twice (first on line " +
                      std::to_string(firstLine) + ")");
        line.fail("'" + line.keyword() + "' and '" + keyword + "' (line " +
                  std::to_string(firstLine) + ") both set the " + std::string(sets));
    }

private:
    std::map<std::string_view, std::pair<std::string, int>, std::less<>> given_;
};

void formLine(const LineReader& line, FormDescription& form, SectionSettings& settings) {
    const FormKeyword* keyword = findKeyword(kFormKeywords, line.keyword());
    if (!keyword) {
        if (findKeyword(kControlKeywords, line.keyword()))
            line.fail("'" + line.keyword() +
                      "' belongs to a control section, not the form section");
        line.fail("unknown keyword '" + line.keyword() + "' in the form section");
    }
    settings.note(line, keyword->name);
    keyword->read(line, form);
}

void controlLine(const LineReader& line, ControlDescription& control, SectionSettings& settings) {
    const ControlKeyword* keyword = findKeyword(kControlKeywords, line.keyword());
    if (!keyword) {
        if (findKeyword(kFormKeywords, line.keyword()))
            line.fail("'" + line.keyword() + "' belongs to the form section, not control '" +
                      control.name + "'");
        line.fail("unknown keyword '" + line.keyword() + "' in control '" + control.name + "'");
    }
    if (!(keyword->kinds & bit(control.kind)))
        line.fail("'" + line.keyword() + "' is not a keyword of " +
                  std::string(kindName(control.kind)) + " controls (control '" + control.name +
                  "')");
    if (!keyword->sets.empty())
        settings.note(line, keyword->sets);
    keyword->read(line, control);
}

ControlDescription controlHeader(const LineReader& line, const FormDescription& form) {
    line.expectValues(2);
    const std::string& name = line.value(0).value;
    if (line.value(0).kind != TokenKind::Word || !isName(name))
        line.fail("'" + name + "' is not a name");
    // The form's own events are raised on this name.
    if (name == kFormObject)
        line.fail("'Form' names the form's own events and cannot name a control");
    if (form.find(name) || name == form.name)
        line.fail("the name '" + name + "' is used twice");
    const std::string& kind = line.value(1).value;
    const auto* known = std::find_if(kKindNames.begin(), kKindNames.end(),
                                     [&](const KindName& entry) { return entry.name == kind; });
    if (line.value(1).kind != TokenKind::Word || known == kKindNames.end())
        line.fail("unknown control kind '" + kind + "' (button, label, image or activex)");
    ControlDescription control;
    control.name = name;
    control.kind = known->kind;
    control.line = line.line();
    return control;
}

// What a finished control section must have, reported at the line that starts it.
void checkControl(const std::string& file, const ControlDescription& control) {
    if (!control.position)
        throw FormDescriptionError(file, control.line,
                                   "control '" + control.name + "' has no position");
    if (control.kind == ControlKind::ActiveX && control.classId.empty() &&
        control.className.empty())
        throw FormDescriptionError(file, control.line,
                                   "ActiveX control '" + control.name +
                                       "' names neither class nor class-name");
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
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());
    FormDescription form;
    form.file = file;
    bool formSeen = false;
    SectionSettings settings;
    int lineNumber = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        const LineReader line(text.substr(at, end - at), file, ++lineNumber);
        at = end + 1;
        if (line.tokens().empty())
            continue;
        if (line.tokens().front().kind != TokenKind::Word)
            line.fail("a line must start with a keyword");
        if (line.keyword() == "form") {
            if (formSeen)
                line.fail("a description holds one form");
            line.expectValues(1);
            if (line.value(0).kind != TokenKind::Word || !isName(line.value(0).value))
                line.fail("'" + line.value(0).value + "' is not a name");
            form.name = line.value(0).value;
            formSeen = true;
        } else if (line.keyword() == "control") {
            if (!formSeen)
                line.fail("a control before the form line");
            if (!form.controls.empty())
                checkControl(file, form.controls.back());
            form.controls.push_back(controlHeader(line, form));
            settings = SectionSettings();
        } else if (!formSeen) {
            line.fail("'" + line.keyword() + "' before the form line");
        } else {
            if (form.controls.empty())
                formLine(line, form, settings);
            else
                controlLine(line, form.controls.back(), settings);
            for (const Token& token : line.tokens())
                if (token.kind == TokenKind::File)
                    form.files.push_back({token.value, line.line()});
        }
    }
    if (!formSeen)
        throw FormDescriptionError(file, lineNumber, "the description has no form line");
    if (!form.controls.empty())
        checkControl(file, form.controls.back());
    return form;
}

} // namespace cutshape::forms

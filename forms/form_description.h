#pragma once
// A form described in the project's own text format: the form's design values, its
// controls and, for an ActiveX control, its class, library and stored property set. The
// format is line based; '#' starts a comment, a section starts with `form <name>` or
// `control <name> <kind>`, and every other line is `<keyword> <values...>`:
//
//   form frmEarth
//     caption       "Form1"
//     border-style  0
//     client        0 0 4680 3180          # left top width height, twips
//     start-up      system                 # the windowing system picks the position
//     min-box       no
//     taskbar       yes
//   control imgClose image
//     position      2460 405 210 225
//     picture       file:close.bmp         # a file bundled with the program
//     pointer       custom file:hand.cur
//   control Cutshape1 activex
//     class         {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}   # the control's class identifier
//     stored        _extentx i4 953
//
// Values are bare words, decimal numbers, quoted strings ("\"" and "\\" escape),
// identifiers in braces and bundled files named `file:<name>`. A UTF-8 byte order mark may
// start the file. Each keyword belongs to the form section or to some control kinds and is
// given at most once per section (`stored` once per property). The parser needs no Windows
// headers: the build checks descriptions with it before they are bundled into a program.

#include "core/twips.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace cutshape::forms {

// A malformed description: the file, the line and what is wrong with it.
class FormDescriptionError : public std::runtime_error {
public:
    FormDescriptionError(const std::string& file, int line, const std::string& problem);

    const std::string& file() const noexcept { return file_; }
    int line() const noexcept { return line_; }
    const std::string& problem() const noexcept { return problem_; }

private:
    std::string file_;
    int line_;
    std::string problem_;
};

using core::TwipsRect;

enum class ControlKind { Button, Label, Image, ActiveX };

enum class StoredType { Integer16, Integer32, Single, Boolean, String, Picture };

// One value of an ActiveX control's stored property set.
struct StoredProperty {
    std::string name;
    StoredType type = StoredType::Integer32;
    std::int32_t integer = 0; // Integer16, Integer32, Boolean (-1 or 0)
    float single = 0;
    std::string text; // String: the text (UTF-8); Picture: the bundled file's name
};

struct ControlDescription {
    std::string name;
    ControlKind kind = ControlKind::Label;
    int line = 0; // where the control's section starts
    std::optional<TwipsRect> position;
    std::string caption;
    std::string toolTip;
    std::optional<int> tabIndex;
    std::string pictureFile; // bundled file shown by an image
    int mousePointer = 0;    // 0 default, 99 custom
    std::string mouseIconFile;
    // ActiveX controls only.
    std::string classId; // "{...}"
    std::string defaultInterfaceId;
    std::string eventInterfaceId;
    std::string className;
    std::string libraryFile;
    std::vector<StoredProperty> stored;
};

struct FileReference {
    std::string name;
    int line = 0;
};

struct FormDescription {
    std::string file; // where the description came from, for messages
    std::string name;
    std::string caption;
    int borderStyle = 2;
    TwipsRect client{0, 0, 4800, 3600};
    bool systemChoosesPosition = true;
    bool minButton = true;
    bool maxButton = true;
    bool showInTaskbar = true;
    std::vector<ControlDescription> controls;
    // Every file:<name> value in the order written, so a build can check that the program
    // bundles each.
    std::vector<FileReference> files;

    const ControlDescription* find(std::string_view controlName) const;
};

// Parses a whole description; throws FormDescriptionError naming `file` and the line.
// `file` is only used in messages.
FormDescription parseFormDescription(std::string_view text, const std::string& file);

} // namespace cutshape::forms

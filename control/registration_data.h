#pragma once
// What registering the control records, as data: every registry key and value below a
// classes root (HKEY_CLASSES_ROOT for the machine, HKEY_CURRENT_USER\Software\Classes for
// one user), and the identifiers a registration-free manifest names. DllRegisterServer and
// DllInstall write these rows; the build prints the same rows as installer registry entries
// and the identifiers as the control's manifest (tools/registration_data), so the three
// ways of installing cannot drift apart. No Windows headers: the build machine reads it too.
// All text is ASCII.

#include "control/resource_ids.h"
#include "cutshape_ids.h"

#include <cstdint>
#include <string_view>

namespace cutshape::control::registration {

inline constexpr std::string_view kClassId = CUTSHAPE_CLASS_ID;
inline constexpr std::string_view kClassName = "Cutshape";
inline constexpr std::string_view kProgId = "CutshapeCtrl.Cutshape";
inline constexpr std::string_view kLibraryId = CUTSHAPE_LIBRARY_ID;
inline constexpr std::string_view kLibraryDescription = "Cutshape Ocx";
inline constexpr std::uint16_t kLibraryMajor = 16;
inline constexpr std::uint16_t kLibraryMinor = 1;
// The library's version as registration spells it (hexadecimal) and as containers read it
// from the class key (decimal).
inline constexpr std::string_view kLibraryVersionKey = "10.1";
inline constexpr std::string_view kLibraryVersion = "16.1";
inline constexpr std::string_view kThreadingModel = "Apartment";
// Marshalers as the type-library registration chooses them: the automation marshaler for a
// dual interface, the dispatch marshaler for a pure dispinterface.
inline constexpr std::string_view kAutomationMarshaler = "{00020424-0000-0000-C000-000000000046}";
inline constexpr std::string_view kDispatchMarshaler = "{00020420-0000-0000-C000-000000000046}";

// The control's misc-status bits for the content aspect: OLEMISC_SETCLIENTSITEFIRST |
// INVISIBLEATRUNTIME | ACTIVATEWHENVISIBLE | INSIDEOUT | CANTLINKINSIDE | RECOMPOSEONRESIZE
// (0x20591). The control answers IOleObject::GetMiscStatus with it too.
#define CUTSHAPE_MISC_STATUS_CONTENT 132497
inline constexpr std::uint32_t kMiscStatusContent = CUTSHAPE_MISC_STATUS_CONTENT;

// Keys below the classes root, as literals so that the rows below can be spelt from them.
#define CUTSHAPE_TEXT(value) CUTSHAPE_TEXT_OF(value)
#define CUTSHAPE_TEXT_OF(value) #value
#define CUTSHAPE_CLASS_KEY "CLSID\\" CUTSHAPE_CLASS_ID
#define CUTSHAPE_LIBRARY_KEY "TypeLib\\" CUTSHAPE_LIBRARY_ID
#define CUTSHAPE_INTERFACE_KEY "Interface\\" CUTSHAPE_INTERFACE_ID
#define CUTSHAPE_EVENTS_KEY "Interface\\" CUTSHAPE_EVENTS_ID
#define CUTSHAPE_EARLIER_INTERFACE_KEY "Interface\\" CUTSHAPE_EARLIER_INTERFACE_ID
#define CUTSHAPE_EARLIER_EVENTS_KEY "Interface\\" CUTSHAPE_EARLIER_EVENTS_ID

// Which part of the registration a row belongs to; the part says in which registry view the
// row lives and who writes it. For the machine, the system's type-library registration call
// writes the library's and the current interfaces' keys itself; for one user, and in the
// installers, they are written from these rows.
enum class Part {
    Class,           // the class key: one per registry view (32-bit and 64-bit)
    ProgId,          // the programmatic identifier: shared by both views
    TypeLibrary,     // the library's version key: shared by both views
    TypeLibraryFile, // its 0\win32 or 0\win64 file entry: one per architecture
    Interface,       // the current interfaces
    EarlierInterface // the earlier identifiers the compatibility maps answer
};

// Placeholders in keys and data.
inline constexpr std::string_view kLibraryPath = "{library}"; // the library's full path
inline constexpr std::string_view kPlatform = "{platform}";   // win32 or win64

struct Row {
    Part part;
    std::string_view key;  // below the classes root
    std::string_view name; // empty: the key's default value
    std::string_view data;
    bool keyOnly = false; // the key alone, without a value
};

// The rows, in the order they are written; removal takes whole keys (kOwnedKeys).
inline constexpr Row kRows[] = {
    {Part::Class, CUTSHAPE_CLASS_KEY, "", kClassName},
    {Part::Class, CUTSHAPE_CLASS_KEY "\\InprocServer32", "", kLibraryPath},
    {Part::Class, CUTSHAPE_CLASS_KEY "\\InprocServer32", "ThreadingModel", kThreadingModel},
    {Part::Class, CUTSHAPE_CLASS_KEY "\\ProgID", "", kProgId},
    {Part::Class, CUTSHAPE_CLASS_KEY "\\Control", "", "", true},
    {Part::Class, CUTSHAPE_CLASS_KEY "\\ToolboxBitmap32", "",
     "{library}, " CUTSHAPE_TEXT(CUTSHAPE_TOOLBOX_BITMAP)},
    {Part::Class, CUTSHAPE_CLASS_KEY "\\MiscStatus", "", "0"},
    {Part::Class, CUTSHAPE_CLASS_KEY "\\MiscStatus\\1", "",
     CUTSHAPE_TEXT(CUTSHAPE_MISC_STATUS_CONTENT)},
    {Part::Class, CUTSHAPE_CLASS_KEY "\\TypeLib", "", kLibraryId},
    {Part::Class, CUTSHAPE_CLASS_KEY "\\Version", "", kLibraryVersion},

    {Part::ProgId, "CutshapeCtrl.Cutshape", "", kClassName},
    {Part::ProgId, "CutshapeCtrl.Cutshape\\CLSID", "", kClassId},

    {Part::TypeLibrary, CUTSHAPE_LIBRARY_KEY "\\10.1", "", kLibraryDescription},
    // LIBFLAG_FCONTROL, in decimal.
    {Part::TypeLibrary, CUTSHAPE_LIBRARY_KEY "\\10.1\\FLAGS", "", "2"},
    {Part::TypeLibrary, CUTSHAPE_LIBRARY_KEY "\\10.1\\HELPDIR", "", ""},
    {Part::TypeLibraryFile, CUTSHAPE_LIBRARY_KEY "\\10.1\\0\\{platform}", "", kLibraryPath},

    {Part::Interface, CUTSHAPE_INTERFACE_KEY, "", "_Cutshape"},
    {Part::Interface, CUTSHAPE_INTERFACE_KEY "\\ProxyStubClsid", "", kAutomationMarshaler},
    {Part::Interface, CUTSHAPE_INTERFACE_KEY "\\ProxyStubClsid32", "", kAutomationMarshaler},
    {Part::Interface, CUTSHAPE_INTERFACE_KEY "\\TypeLib", "", kLibraryId},
    {Part::Interface, CUTSHAPE_INTERFACE_KEY "\\TypeLib", "Version", kLibraryVersionKey},

    {Part::Interface, CUTSHAPE_EVENTS_KEY, "", "__Cutshape"},
    {Part::Interface, CUTSHAPE_EVENTS_KEY "\\ProxyStubClsid", "", kDispatchMarshaler},
    {Part::Interface, CUTSHAPE_EVENTS_KEY "\\ProxyStubClsid32", "", kDispatchMarshaler},
    {Part::Interface, CUTSHAPE_EVENTS_KEY "\\TypeLib", "", kLibraryId},
    {Part::Interface, CUTSHAPE_EVENTS_KEY "\\TypeLib", "Version", kLibraryVersionKey},

    {Part::EarlierInterface, CUTSHAPE_EARLIER_INTERFACE_KEY, "", "_Cutshape"},
    {Part::EarlierInterface, CUTSHAPE_EARLIER_INTERFACE_KEY "\\ProxyStubClsid", "",
     kAutomationMarshaler},
    {Part::EarlierInterface, CUTSHAPE_EARLIER_INTERFACE_KEY "\\ProxyStubClsid32", "",
     kAutomationMarshaler},
    {Part::EarlierInterface, CUTSHAPE_EARLIER_INTERFACE_KEY "\\TypeLib", "", kLibraryId},
    {Part::EarlierInterface, CUTSHAPE_EARLIER_INTERFACE_KEY "\\TypeLib", "Version",
     kLibraryVersionKey},

    {Part::EarlierInterface, CUTSHAPE_EARLIER_EVENTS_KEY, "", "__Cutshape"},
    {Part::EarlierInterface, CUTSHAPE_EARLIER_EVENTS_KEY "\\ProxyStubClsid", "",
     kDispatchMarshaler},
    {Part::EarlierInterface, CUTSHAPE_EARLIER_EVENTS_KEY "\\ProxyStubClsid32", "",
     kDispatchMarshaler},
    {Part::EarlierInterface, CUTSHAPE_EARLIER_EVENTS_KEY "\\TypeLib", "", kLibraryId},
    {Part::EarlierInterface, CUTSHAPE_EARLIER_EVENTS_KEY "\\TypeLib", "Version",
     kLibraryVersionKey},
};

// The keys registration owns, each removed with everything below it.
struct OwnedKey {
    Part part;
    std::string_view key;
};
inline constexpr OwnedKey kOwnedKeys[] = {
    {Part::Class, CUTSHAPE_CLASS_KEY},
    {Part::ProgId, "CutshapeCtrl.Cutshape"},
    {Part::TypeLibrary, CUTSHAPE_LIBRARY_KEY},
    {Part::TypeLibraryFile, CUTSHAPE_LIBRARY_KEY "\\10.1\\0\\{platform}"},
    {Part::Interface, CUTSHAPE_INTERFACE_KEY},
    {Part::Interface, CUTSHAPE_EVENTS_KEY},
    {Part::EarlierInterface, CUTSHAPE_EARLIER_INTERFACE_KEY},
    {Part::EarlierInterface, CUTSHAPE_EARLIER_EVENTS_KEY},
};

} // namespace cutshape::control::registration

#pragma once
// What registering the control records, as data: every registry key and value below a
// classes root (HKEY_CLASSES_ROOT for the machine, HKEY_CURRENT_USER\Software\Classes for
// one user), and the identifiers a registration-free manifest names. DllRegisterServer and
// DllInstall write these rows; the build prints the same rows as installer registry entries
// and the identifiers as the control's manifest (tools/registration_data), so the three
// ways of installing cannot drift apart. No Windows headers: the build machine reads it too.
// All text is ASCII.

#include <cstdint>
#include <string_view>

namespace cutshape::control::registration {

inline constexpr std::string_view kClassId = "{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}";
inline constexpr std::string_view kClassName = "Cutshape";
inline constexpr std::string_view kProgId = "CutshapeCtrl.Cutshape";
inline constexpr std::string_view kLibraryId = "{185B4A01-BE83-4047-BDDE-79D9822AE857}";
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
    {Part::Class, "CLSID\\{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}", "", kClassName},
    {Part::Class, "CLSID\\{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}\\InprocServer32", "",
     kLibraryPath},
    {Part::Class, "CLSID\\{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}\\InprocServer32", "ThreadingModel",
     kThreadingModel},
    {Part::Class, "CLSID\\{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}\\ProgID", "", kProgId},
    {Part::Class, "CLSID\\{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}\\Control", "", "", true},
    {Part::Class, "CLSID\\{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}\\ToolboxBitmap32", "",
     "{library}, 30000"},
    {Part::Class, "CLSID\\{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}\\MiscStatus", "", "0"},
    // 0x20591 for the content aspect: OLEMISC_SETCLIENTSITEFIRST | INVISIBLEATRUNTIME |
    // ACTIVATEWHENVISIBLE | INSIDEOUT | CANTLINKINSIDE | RECOMPOSEONRESIZE.
    {Part::Class, "CLSID\\{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}\\MiscStatus\\1", "", "132497"},
    {Part::Class, "CLSID\\{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}\\TypeLib", "", kLibraryId},
    {Part::Class, "CLSID\\{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}\\Version", "", kLibraryVersion},

    {Part::ProgId, "CutshapeCtrl.Cutshape", "", kClassName},
    {Part::ProgId, "CutshapeCtrl.Cutshape\\CLSID", "", kClassId},

    {Part::TypeLibrary, "TypeLib\\{185B4A01-BE83-4047-BDDE-79D9822AE857}\\10.1", "",
     kLibraryDescription},
    // LIBFLAG_FCONTROL, in decimal.
    {Part::TypeLibrary, "TypeLib\\{185B4A01-BE83-4047-BDDE-79D9822AE857}\\10.1\\FLAGS", "", "2"},
    {Part::TypeLibrary, "TypeLib\\{185B4A01-BE83-4047-BDDE-79D9822AE857}\\10.1\\HELPDIR", "", ""},
    {Part::TypeLibraryFile, "TypeLib\\{185B4A01-BE83-4047-BDDE-79D9822AE857}\\10.1\\0\\{platform}",
     "", kLibraryPath},

    {Part::Interface, "Interface\\{8C1BA95C-DEA4-49C6-B5E5-1DF6FF922503}", "", "_Cutshape"},
    {Part::Interface, "Interface\\{8C1BA95C-DEA4-49C6-B5E5-1DF6FF922503}\\ProxyStubClsid", "",
     kAutomationMarshaler},
    {Part::Interface, "Interface\\{8C1BA95C-DEA4-49C6-B5E5-1DF6FF922503}\\ProxyStubClsid32", "",
     kAutomationMarshaler},
    {Part::Interface, "Interface\\{8C1BA95C-DEA4-49C6-B5E5-1DF6FF922503}\\TypeLib", "", kLibraryId},
    {Part::Interface, "Interface\\{8C1BA95C-DEA4-49C6-B5E5-1DF6FF922503}\\TypeLib", "Version",
     kLibraryVersionKey},

    {Part::Interface, "Interface\\{C4D9D413-6328-405F-A3DF-CEB80FF9DBB7}", "", "__Cutshape"},
    {Part::Interface, "Interface\\{C4D9D413-6328-405F-A3DF-CEB80FF9DBB7}\\ProxyStubClsid", "",
     kDispatchMarshaler},
    {Part::Interface, "Interface\\{C4D9D413-6328-405F-A3DF-CEB80FF9DBB7}\\ProxyStubClsid32", "",
     kDispatchMarshaler},
    {Part::Interface, "Interface\\{C4D9D413-6328-405F-A3DF-CEB80FF9DBB7}\\TypeLib", "", kLibraryId},
    {Part::Interface, "Interface\\{C4D9D413-6328-405F-A3DF-CEB80FF9DBB7}\\TypeLib", "Version",
     kLibraryVersionKey},

    {Part::EarlierInterface, "Interface\\{2991EEC6-B7E8-40E7-9E07-0245B4B3007A}", "", "_Cutshape"},
    {Part::EarlierInterface, "Interface\\{2991EEC6-B7E8-40E7-9E07-0245B4B3007A}\\ProxyStubClsid",
     "", kAutomationMarshaler},
    {Part::EarlierInterface, "Interface\\{2991EEC6-B7E8-40E7-9E07-0245B4B3007A}\\ProxyStubClsid32",
     "", kAutomationMarshaler},
    {Part::EarlierInterface, "Interface\\{2991EEC6-B7E8-40E7-9E07-0245B4B3007A}\\TypeLib", "",
     kLibraryId},
    {Part::EarlierInterface, "Interface\\{2991EEC6-B7E8-40E7-9E07-0245B4B3007A}\\TypeLib",
     "Version", kLibraryVersionKey},

    {Part::EarlierInterface, "Interface\\{21B76C49-EA1B-4002-9103-23C901FEC2D9}", "", "__Cutshape"},
    {Part::EarlierInterface, "Interface\\{21B76C49-EA1B-4002-9103-23C901FEC2D9}\\ProxyStubClsid",
     "", kDispatchMarshaler},
    {Part::EarlierInterface, "Interface\\{21B76C49-EA1B-4002-9103-23C901FEC2D9}\\ProxyStubClsid32",
     "", kDispatchMarshaler},
    {Part::EarlierInterface, "Interface\\{21B76C49-EA1B-4002-9103-23C901FEC2D9}\\TypeLib", "",
     kLibraryId},
    {Part::EarlierInterface, "Interface\\{21B76C49-EA1B-4002-9103-23C901FEC2D9}\\TypeLib",
     "Version", kLibraryVersionKey},
};

// The keys registration owns, each removed with everything below it.
struct OwnedKey {
    Part part;
    std::string_view key;
};
inline constexpr OwnedKey kOwnedKeys[] = {
    {Part::Class, "CLSID\\{1CD0A9FA-0E57-487D-AF64-510C36E1CD92}"},
    {Part::ProgId, "CutshapeCtrl.Cutshape"},
    {Part::TypeLibrary, "TypeLib\\{185B4A01-BE83-4047-BDDE-79D9822AE857}"},
    {Part::TypeLibraryFile, "TypeLib\\{185B4A01-BE83-4047-BDDE-79D9822AE857}\\10.1\\0\\{platform}"},
    {Part::Interface, "Interface\\{8C1BA95C-DEA4-49C6-B5E5-1DF6FF922503}"},
    {Part::Interface, "Interface\\{C4D9D413-6328-405F-A3DF-CEB80FF9DBB7}"},
    {Part::EarlierInterface, "Interface\\{2991EEC6-B7E8-40E7-9E07-0245B4B3007A}"},
    {Part::EarlierInterface, "Interface\\{21B76C49-EA1B-4002-9103-23C901FEC2D9}"},
};

} // namespace cutshape::control::registration

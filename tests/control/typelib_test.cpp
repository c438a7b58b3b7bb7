// The control library's type library, read back through the system's type-library loader
// from the built Cutshape.ocx and from the patched Cutshape.tlb, described as text and
// compared with the checked-in description (one for both pointer sizes). Set
// CUTSHAPE_UPDATE_GOLDEN=1 in the 64-bit build to rewrite it.

#include "win/com_ptr.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <oleauto.h>
#include <regex>
#include <sstream>
#include <string>
#include <vector>
#include <windows.h>

using cutshape::win::ComPtr;

namespace {

std::string narrow(const wchar_t* text) {
    std::string result;
    for (; text && *text; ++text)
        result += *text < 128 ? static_cast<char>(*text) : '?';
    return result;
}

std::string hex(unsigned long value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*lX", digits, value);
    return text;
}

std::string guidText(const GUID& guid) {
    wchar_t text[40];
    ::StringFromGUID2(guid, text, 40);
    return narrow(text);
}

// Frees a BSTR when it goes out of scope.
struct Bstr {
    BSTR value = nullptr;
    ~Bstr() { ::SysFreeString(value); }
    std::string text() const { return value ? narrow(value) : "(none)"; }
};

void check(HRESULT result, const char* what) {
    if (FAILED(result))
        throw std::runtime_error(std::string(what) +
                                 " failed: " + hex(static_cast<unsigned long>(result), 8));
}

const char* typeKindName(TYPEKIND kind) {
    static const char* const kNames[] = {"enum",     "record",  "module", "interface",
                                         "dispatch", "coclass", "alias",  "union"};
    return kind < TKIND_MAX ? kNames[kind] : "unknown";
}

std::string invokeKindName(INVOKEKIND kind) {
    switch (kind) {
    case INVOKE_FUNC:
        return "func";
    case INVOKE_PROPERTYGET:
        return "propget";
    case INVOKE_PROPERTYPUT:
        return "propput";
    case INVOKE_PROPERTYPUTREF:
        return "propputref";
    }
    return "invkind " + std::to_string(kind);
}

std::string paramFlagNames(USHORT flags) {
    static const std::pair<USHORT, const char*> kFlags[] = {
        {PARAMFLAG_FIN, "in"},
        {PARAMFLAG_FOUT, "out"},
        {PARAMFLAG_FLCID, "lcid"},
        {PARAMFLAG_FRETVAL, "retval"},
        {PARAMFLAG_FOPT, "opt"},
        {PARAMFLAG_FHASDEFAULT, "hasdefault"},
        {PARAMFLAG_FHASCUSTDATA, "hascustdata"}};
    std::string text;
    for (auto [bit, name] : kFlags) {
        if (flags & bit) {
            if (!text.empty())
                text += ',';
            text += name;
        }
    }
    return text.empty() ? "none" : text;
}

// Whole-file names of referenced types: "<library>.<type>".
std::string referencedName(ITypeInfo* owner, HREFTYPE href) {
    ComPtr<ITypeInfo> referenced;
    check(owner->GetRefTypeInfo(href, referenced.put()), "GetRefTypeInfo");
    ComPtr<ITypeLib> library;
    UINT index = 0;
    check(referenced->GetContainingTypeLib(library.put(), &index), "GetContainingTypeLib");
    Bstr libraryName, typeName;
    check(library->GetDocumentation(-1, &libraryName.value, nullptr, nullptr, nullptr),
          "GetDocumentation");
    check(referenced->GetDocumentation(MEMBERID_NIL, &typeName.value, nullptr, nullptr, nullptr),
          "GetDocumentation");
    return libraryName.text() + "." + typeName.text();
}

std::string typeName(ITypeInfo* owner, const TYPEDESC& type) {
    switch (type.vt) {
    case VT_PTR:
        return typeName(owner, *type.lptdesc) + "*";
    case VT_USERDEFINED:
        return referencedName(owner, type.hreftype);
    case VT_HRESULT:
        return "HRESULT";
    case VT_BOOL:
        return "VARIANT_BOOL";
    case VT_I4:
        return "long";
    case VT_BSTR:
        return "BSTR";
    case VT_VARIANT:
        return "VARIANT";
    case VT_VOID:
        return "void";
    case VT_UI4:
        return "ulong";
    case VT_UINT:
        return "uint";
    case VT_I1:
        return "char";
    case VT_UI2:
        return "ushort";
    }
    return "vt " + std::to_string(type.vt);
}

// Reads the type attributes, which the owner frees again.
struct TypeAttr {
    ITypeInfo* info;
    TYPEATTR* attr = nullptr;
    explicit TypeAttr(ITypeInfo* typeInfo) : info(typeInfo) {
        check(info->GetTypeAttr(&attr), "GetTypeAttr");
    }
    ~TypeAttr() { info->ReleaseTypeAttr(attr); }
    TypeAttr(const TypeAttr&) = delete;
    TypeAttr& operator=(const TypeAttr&) = delete;
};

void describeFunctions(ITypeInfo* info, const TYPEATTR& attr, std::ostringstream& out) {
    for (UINT f = 0; f < attr.cFuncs; ++f) {
        FUNCDESC* func = nullptr;
        check(info->GetFuncDesc(f, &func), "GetFuncDesc");
        BSTR names[16] = {};
        UINT nameCount = 0;
        check(info->GetNames(func->memid, names, 16, &nameCount), "GetNames");
        Bstr doc;
        DWORD helpContext = 0;
        info->GetDocumentation(func->memid, nullptr, &doc.value, &helpContext, nullptr);
        out << "  function " << f << " " << narrow(names[0]) << " memid "
            << hex(static_cast<unsigned long>(func->memid), 8) << " "
            << invokeKindName(func->invkind) << " funckind " << func->funckind << " callconv "
            << func->callconv << " vtable " << func->oVft << " returns "
            << typeName(info, func->elemdescFunc.tdesc) << " funcflags " << hex(func->wFuncFlags, 4)
            << " params " << func->cParams << " optional " << func->cParamsOpt << " helpstring "
            << doc.text() << " helpcontext " << helpContext << "\n";
        for (SHORT p = 0; p < func->cParams; ++p) {
            const ELEMDESC& param = func->lprgelemdescParam[p];
            const UINT nameIndex = static_cast<UINT>(p) + 1;
            out << "    param " << (nameIndex < nameCount ? narrow(names[nameIndex]) : "(unnamed)")
                << " " << typeName(info, param.tdesc) << " "
                << paramFlagNames(param.paramdesc.wParamFlags) << "\n";
        }
        for (UINT n = 0; n < nameCount; ++n)
            ::SysFreeString(names[n]);
        info->ReleaseFuncDesc(func);
    }
}

void describeAttributes(ITypeInfo* info, std::ostringstream& out) {
    TypeAttr attr(info);
    const TYPEATTR& a = *attr.attr;
    out << "  kind " << typeKindName(a.typekind) << " guid " << guidText(a.guid) << " version "
        << a.wMajorVerNum << "." << a.wMinorVerNum << " flags " << hex(a.wTypeFlags, 4) << " lcid "
        << hex(a.lcid, 4) << "\n";
    out << "  funcs " << a.cFuncs << " vars " << a.cVars << " impltypes " << a.cImplTypes
        << " vtable size " << a.cbSizeVft << " instance size " << a.cbSizeInstance << " alignment "
        << a.cbAlignment << "\n";
    for (UINT i = 0; i < a.cImplTypes; ++i) {
        HREFTYPE href = 0;
        INT flags = 0;
        check(info->GetRefTypeOfImplType(i, &href), "GetRefTypeOfImplType");
        check(info->GetImplTypeFlags(i, &flags), "GetImplTypeFlags");
        out << "  impltype " << i << " " << referencedName(info, href) << " flags "
            << hex(static_cast<unsigned long>(flags), 2) << "\n";
    }
    if (a.typekind == TKIND_ALIAS)
        out << "  alias of " << typeName(info, a.tdescAlias) << "\n";
    describeFunctions(info, a, out);
}

std::string describeLibrary(const std::wstring& path) {
    ComPtr<ITypeLib> library;
    check(::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put()), "LoadTypeLibEx");
    std::ostringstream out;
    TLIBATTR* libAttr = nullptr;
    check(library->GetLibAttr(&libAttr), "GetLibAttr");
    Bstr name, doc, helpFile;
    DWORD helpContext = 0;
    check(library->GetDocumentation(-1, &name.value, &doc.value, &helpContext, &helpFile.value),
          "GetDocumentation");
    out << "library " << name.text() << " guid " << guidText(libAttr->guid) << " version "
        << libAttr->wMajorVerNum << "." << libAttr->wMinorVerNum << " lcid "
        << hex(libAttr->lcid, 4) << " syskind " << libAttr->syskind << " flags "
        << hex(libAttr->wLibFlags, 2) << "\n";
    out << "  helpstring " << doc.text() << " helpfile " << helpFile.text() << " helpcontext "
        << helpContext << "\n";
    library->ReleaseTLibAttr(libAttr);

    const UINT count = library->GetTypeInfoCount();
    out << "types " << count << "\n";
    for (UINT t = 0; t < count; ++t) {
        ComPtr<ITypeInfo> info;
        check(library->GetTypeInfo(t, info.put()), "GetTypeInfo");
        Bstr typeName, typeDoc;
        DWORD typeHelp = 0;
        check(library->GetDocumentation(static_cast<INT>(t), &typeName.value, &typeDoc.value,
                                        &typeHelp, nullptr),
              "GetDocumentation");
        out << "type " << t << " " << typeName.text() << " helpstring " << typeDoc.text()
            << " helpcontext " << typeHelp << "\n";
        describeAttributes(info.get(), out);
        // The interface half of a dual interface carries the flags as stored.
        HREFTYPE interfaceHalf = 0;
        if (SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &interfaceHalf))) {
            ComPtr<ITypeInfo> half;
            check(info->GetRefTypeInfo(interfaceHalf, half.put()), "GetRefTypeInfo");
            out << " interface half\n";
            describeAttributes(half.get(), out);
        }
    }
    return out.str();
}

// The custom data items of the library and of each of its types (the IDL compiler stores its
// version text and a time stamp there, which the patch removes).
std::size_t customDataCount(const std::wstring& path) {
    ComPtr<ITypeLib> library;
    check(::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put()), "LoadTypeLibEx");
    CUSTDATA data{};
    check(library.query<ITypeLib2>()->GetAllCustData(&data), "GetAllCustData");
    std::size_t count = data.cCustData;
    ::ClearCustData(&data);
    for (UINT t = 0; t < library->GetTypeInfoCount(); ++t) {
        ComPtr<ITypeInfo> info;
        check(library->GetTypeInfo(t, info.put()), "GetTypeInfo");
        check(info.query<ITypeInfo2>()->GetAllCustData(&data), "GetAllCustData");
        count += data.cCustData;
        ::ClearCustData(&data);
    }
    return count;
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

// `text` with the number after each match of `field` (its last group) changed by `change`.
template <class Change>
std::string changeNumbers(const std::string& text, const std::regex& field, Change change) {
    std::string result;
    auto rest = text.begin();
    for (std::sregex_iterator match(text.begin(), text.end(), field), end; match != end; ++match) {
        const auto& number = (*match)[match->size() - 1];
        result.append(rest, number.first) += std::to_string(change(std::stoul(number.str())));
        rest = number.second;
    }
    return result.append(rest, text.end());
}

// The golden description is the 64-bit build's. A 32-bit build's differs only where the
// pointer size shows: SYS_WIN32 for SYS_WIN64, vtable offsets, vtable sizes and instance sizes
// of half the size, and no alignment above 4 bytes. Everything else must match as it is.
std::string atThisPointerSize(const std::string& golden) {
    if constexpr (sizeof(void*) == 8)
        return golden;
    const auto halved = [](unsigned long bytes) { return bytes / 2; };
    std::string text = changeNumbers(golden, std::regex("syskind (\\d+)"), [](unsigned long kind) {
        return kind == SYS_WIN64 ? static_cast<unsigned long>(SYS_WIN32) : kind;
    });
    text = changeNumbers(text, std::regex("(vtable|vtable size|instance size) (\\d+)"), halved);
    return changeNumbers(text, std::regex("alignment (\\d+)"),
                         [](unsigned long bytes) { return std::min(bytes, 4ul); });
}

void expectMatchesGolden(const std::string& description) {
    const std::string goldenPath = CUTSHAPE_GOLDEN_TYPELIB;
    if (std::getenv("CUTSHAPE_UPDATE_GOLDEN")) {
        if (sizeof(void*) != 8)
            GTEST_SKIP() << "the golden description is the 64-bit build's: rewrite it there";
        std::ofstream(goldenPath, std::ios::binary) << description;
        GTEST_SKIP() << "rewrote " << goldenPath;
    }
    const std::string golden = readText(goldenPath);
    ASSERT_FALSE(golden.empty()) << "missing golden description " << goldenPath;
    const auto expected = lines(atThisPointerSize(golden));
    const auto actual = lines(description);
    for (std::size_t i = 0; i < std::max(expected.size(), actual.size()); ++i) {
        EXPECT_EQ(i < expected.size() ? expected[i] : "(end)",
                  i < actual.size() ? actual[i] : "(end)")
            << "line " << i + 1;
    }
}

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TypeLibrary : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(::CoInitialize(nullptr), S_OK); }
    void TearDown() override { ::CoUninitialize(); }
};

TEST_F(TypeLibrary, EmbeddedInTheControlLibraryMatchesTheGoldenDescription) {
    expectMatchesGolden(describeLibrary(CUTSHAPE_OCX_FILE));
}

TEST_F(TypeLibrary, PatchedFileMatchesTheGoldenDescription) {
    expectMatchesGolden(describeLibrary(CUTSHAPE_TLB_FILE));
}

TEST_F(TypeLibrary, CarriesNoCustomData) {
    EXPECT_EQ(customDataCount(CUTSHAPE_OCX_FILE), 0u);
    EXPECT_EQ(customDataCount(CUTSHAPE_TLB_FILE), 0u);
}

TEST_F(TypeLibrary, ResourceHoldsThePatchedFileByteForByte) {
    HMODULE module = ::LoadLibraryExW(CUTSHAPE_OCX_FILE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(1), L"TYPELIB");
    ASSERT_NE(resource, nullptr);
    const auto* data =
        static_cast<const unsigned char*>(::LockResource(::LoadResource(module, resource)));
    const std::vector<unsigned char> embedded(data, data + ::SizeofResource(module, resource));
    ::FreeLibrary(module);

    const std::vector<unsigned char> file = readBytes(narrow(CUTSHAPE_TLB_FILE));
    EXPECT_EQ(embedded.size(), 2720u);
    EXPECT_EQ(embedded, file);
    ASSERT_GE(embedded.size(), 4u);
    EXPECT_EQ(std::string(embedded.begin(), embedded.begin() + 4), "MSFT");
}

} // namespace

// The About box's registry lookup, against values written under a scratch key of
// HKEY_CURRENT_USER (removed again afterwards) with the exact bytes and types each case needs.

#include "control/about/system_info.h"
#include "win/error.h"

#include <gtest/gtest.h>
#include <olectl.h>
#include <string>
#include <vector>
#include <windows.h>

namespace {

using cutshape::control::about::getKeyValue;

constexpr const char* kScratchKey = "Software\\CutshapeTests\\AboutKeyValue";

class GetKeyValue : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kScratchKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        ::RegCloseKey(key_);
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kScratchKey);
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\CutshapeTests");
    }

    void store(const char* name, DWORD type, const std::vector<BYTE>& data) {
        ASSERT_EQ(::RegSetValueExA(key_, name, 0, type, data.empty() ? nullptr : data.data(),
                                   static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }
    static std::vector<BYTE> bytes(const std::string& text) { return {text.begin(), text.end()}; }

    HKEY key_ = nullptr;
};

// What the lookup makes of each stored value: the text it gives (after the text passed in)
// and whether it counts the value as found.
TEST_F(GetKeyValue, ReadsEachTypeAndSizeOfValue) {
    struct Stored {
        const char* what;
        DWORD type;
        std::vector<BYTE> data;
        std::wstring incoming;
        bool found;
        std::wstring value;
    };
    const Stored cases[] = {
        {"a string stored with its NUL loses exactly that character", REG_SZ,
         bytes(std::string("C:\\Tools\\info.exe", 17) + '\0'), L"incoming", true,
         L"C:\\Tools\\info.exe"},
        {"a string stored without NUL stays whole", REG_SZ, bytes("C:\\Tools\\info.exe"), L"", true,
         L"C:\\Tools\\info.exe"},
        {"only the last NUL is dropped", REG_SZ, bytes(std::string("ab\0\0", 4)), L"", true,
         std::wstring(L"ab\0", 3)},
        {"data of exactly 1024 bytes are read", REG_SZ, bytes(std::string(1023, 'x') + '\0'), L"",
         true, std::wstring(1023, L'x')},
        {"data over 1024 bytes count as missing", REG_SZ, bytes(std::string(1025, 'x')),
         L"incoming", false, L""},
        // 0x00BEEF12 in memory: 12 EF BE 00. The last byte is NUL and is dropped, the others
        // read last to first give "BEEF12".
        {"a DWORD reads as the number of its kept bytes",
         REG_DWORD,
         {0x12, 0xEF, 0xBE, 0x00},
         L"",
         true,
         std::to_wstring(0x00BEEF12)},
        // 05 01 00 00: the kept bytes 00 01 05 (last first) give "0" "1" "5": 0x15.
        {"a DWORD's bytes lose their leading zeros",
         REG_DWORD,
         {0x05, 0x01, 0x00, 0x00},
         L"",
         true,
         L"21"},
        // "A", then the kept bytes 00 01 02 (last first): &hA012.
        {"a DWORD's digits follow the incoming text",
         REG_DWORD,
         {0x02, 0x01, 0x00, 0x00},
         L"A",
         true,
         L"40978"},
        {"another type leaves the value and counts as found", REG_EXPAND_SZ,
         bytes(std::string("%SystemRoot%", 12) + '\0'), L"incoming", true, L"incoming"},
    };
    for (const Stored& stored : cases) {
        SCOPED_TRACE(stored.what);
        store("Value", stored.type, stored.data);
        std::wstring value = stored.incoming;
        EXPECT_EQ(getKeyValue(HKEY_CURRENT_USER, kScratchKey, "Value", value), stored.found);
        EXPECT_EQ(value, stored.value);
    }
}

TEST_F(GetKeyValue, ValueOfSizeZeroRaisesInvalidArgument) {
    store("Path", REG_SZ, {});
    std::wstring value;
    try {
        getKeyValue(HKEY_CURRENT_USER, kScratchKey, "Path", value);
        FAIL() << "a value of size 0 must raise an error";
    } catch (const cutshape::win::Error& error) {
        EXPECT_EQ(error.number(), CTL_E_ILLEGALFUNCTIONCALL);
    }
}

TEST_F(GetKeyValue, MissingValueOrKeyGivesFalseAndEmptyText) {
    for (const char* key : {kScratchKey, "Software\\CutshapeTests\\NoSuchKey"}) {
        SCOPED_TRACE(key);
        std::wstring value = L"incoming";
        EXPECT_FALSE(getKeyValue(HKEY_CURRENT_USER, key, "Nothing", value));
        EXPECT_EQ(value, L"");
    }
}

} // namespace
